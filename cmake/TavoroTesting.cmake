find_package(GTest REQUIRED)
include(GoogleTest)
find_program(XVFB_RUN xvfb-run)

# Under TAVORO_SANITIZE every test process, and every process it starts (the demo server),
# runs with these options: any AddressSanitizer, LeakSanitizer or UndefinedBehaviorSanitizer
# report stops the process. AddressSanitizer and LeakSanitizer reports are written to
# <build>/sanitizer-reports/asan.<program>.<pid>, so that the report of a child process whose
# exit status no test looks at is not lost; UndefinedBehaviorSanitizer next to
# AddressSanitizer always writes to stderr, which reaches the test's output (scripts/sanitize.sh
# looks for both). Leaks inside third-party libraries are silenced by
# tests/sanitizers/lsan.supp.
if(TAVORO_SANITIZE)
  set(TAVORO_SANITIZER_REPORT_DIR ${PROJECT_BINARY_DIR}/sanitizer-reports)
  set(TAVORO_SANITIZER_ENV
      "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_exe_name=1:log_path=${TAVORO_SANITIZER_REPORT_DIR}/asan"
      "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/sanitizers/lsan.supp:print_suppressions=0"
      "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  # Instrumented code runs a few times slower; the tests' own time limits stay as they are.
  set(TAVORO_SANITIZER_TIMEOUT_FACTOR 2)
  file(MAKE_DIRECTORY ${TAVORO_SANITIZER_REPORT_DIR})
elseif(TAVORO_TSAN)
  # Under TAVORO_TSAN the same holds for ThreadSanitizer: the first data race, lock-order
  # inversion or other thread report stops the process (exit status 66) and is written to
  # <build>/sanitizer-reports/tsan.<program>.<pid>, where scripts/tsan.sh looks for it. A
  # deadlock report shows where both locks were taken, not just the second. Reports that lie
  # wholly inside uninstrumented third-party libraries are silenced by tests/sanitizers/tsan.supp.
  set(TAVORO_SANITIZER_REPORT_DIR ${PROJECT_BINARY_DIR}/sanitizer-reports)
  set(TAVORO_SANITIZER_ENV
      "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=${PROJECT_SOURCE_DIR}/tests/sanitizers/tsan.supp:print_suppressions=0:log_exe_name=1:log_path=${TAVORO_SANITIZER_REPORT_DIR}/tsan")
  # ThreadSanitizer slows the code down more than AddressSanitizer does.
  set(TAVORO_SANITIZER_TIMEOUT_FACTOR 3)
  file(MAKE_DIRECTORY ${TAVORO_SANITIZER_REPORT_DIR})
else()
  set(TAVORO_SANITIZER_ENV "")
  set(TAVORO_SANITIZER_TIMEOUT_FACTOR 1)
endif()

# Load runs whose size makes an instrumented run slow without finding more than the ordinary
# tests find: labelled "heavy" so that scripts/sanitize.sh can leave them out.
set(TAVORO_HEAVY_TESTS e2e_test_app_load)

# Tests registered with the TSAN keyword are labelled "tsan" and run by scripts/tsan.sh. These
# are left out of that label: a regular expression each, matched against the whole CTest name
# (Suite.Case for a case of a GoogleTest binary, the binary's name for a GUI test). Each entry
# says why it is out, e.g.
#   # excluded until <the fix> lands: data race <summary line of the report>
#   "ConnectionThreadTest\\.SomeCase"
set(TAVORO_TSAN_EXCLUDED)
set(TAVORO_UNIT_TEST_DIR ${PROJECT_SOURCE_DIR}/tests/unit)
# Builds just the binaries of the tests labelled "tsan" (and what they start, through their own
# dependencies), so that scripts/tsan.sh need not instrument the windows and their tests.
add_custom_target(tavoro_tsan_tests)

# tavoro_add_test(NAME SOURCES src... LIBS lib... [GUI] [TSAN] [TIMEOUT s])
# Creates one test binary and registers it with CTest. GUI tests run under a private Xvfb
# server; unit tests are registered case by case so ctest reports each of them. TSAN adds the
# label "tsan" (all cases but those matching TAVORO_TSAN_EXCLUDED). A test built from sources
# under tests/unit/ alone gets it without asking: those tests never open a window, so every
# one of them, present and future, runs under ThreadSanitizer.
function(tavoro_add_test name)
  cmake_parse_arguments(T "GUI;TSAN" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_GUI AND T_SOURCES)
    set(all_unit ON)
    foreach(src IN LISTS T_SOURCES)
      get_filename_component(src ${src} ABSOLUTE)
      cmake_path(IS_PREFIX TAVORO_UNIT_TEST_DIR "${src}" NORMALIZE under_unit)
      if(NOT under_unit)
        set(all_unit OFF)
      endif()
    endforeach()
    if(all_unit)
      set(T_TSAN ON)
    endif()
  endif()
  add_executable(${name} ${T_SOURCES})
  tavoro_strict_warnings(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/unit)
  if(T_TSAN)
    add_dependencies(tavoro_tsan_tests ${name})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  math(EXPR T_TIMEOUT "${T_TIMEOUT} * ${TAVORO_SANITIZER_TIMEOUT_FACTOR}")
  set(env "TAVORO_IMAGES_DIR=${PROJECT_SOURCE_DIR}/data/images/"
          "TAVORO_LOCALE_DIR=${PROJECT_BINARY_DIR}/locale"
          "HOME=${CMAKE_CURRENT_BINARY_DIR}/home-${name}" ${TAVORO_SANITIZER_ENV})
  if(T_GUI)
    if(NOT XVFB_RUN)
      message(FATAL_ERROR "xvfb-run is needed for the GUI tests (apt-get install xvfb xauth)")
    endif()
    set(labels gui)
    if(name IN_LIST TAVORO_HEAVY_TESTS)
      list(APPEND labels heavy)
    endif()
    set(tsan_excluded OFF)
    foreach(pattern IN LISTS TAVORO_TSAN_EXCLUDED)
      if(name MATCHES "^(${pattern})$")
        set(tsan_excluded ON)
      endif()
    endforeach()
    if(T_TSAN AND NOT tsan_excluded)
      list(APPEND labels tsan)
    endif()
    add_test(NAME ${name}
             COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES
      TIMEOUT ${T_TIMEOUT}
      ENVIRONMENT "NO_AT_BRIDGE=1;GDK_BACKEND=x11;${env}"
      LABELS "${labels}")
  else()
    set(labels unit)
    if(name IN_LIST TAVORO_HEAVY_TESTS)
      list(APPEND labels heavy)
    endif()
    set(labels_without_tsan "${labels}")
    if(T_TSAN)
      list(APPEND labels tsan)
    endif()
    # Only known once the cases are discovered, so matched in the properties file below.
    set(tsan_excluded "")
    if(T_TSAN AND TAVORO_TSAN_EXCLUDED)
      list(JOIN TAVORO_TSAN_EXCLUDED "|" tsan_excluded)
      set(tsan_excluded "^(${tsan_excluded})$")
    endif()
    # The discovered tests get their properties from a file read after the list of tests:
    # gtest_discover_tests' own PROPERTIES flattens list values, so a second environment
    # entry or label would otherwise be taken for a property name and lost.
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    set(properties ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
    file(CONFIGURE OUTPUT ${properties} CONTENT [[
if(DEFINED @name@_TESTS)
  set_tests_properties(${@name@_TESTS} PROPERTIES TIMEOUT @T_TIMEOUT@ ENVIRONMENT "@env@")
  # CTest adds labels to those a test has, so each case gets its labels once, here.
  set(tsan_excluded [=[@tsan_excluded@]=])
  set(labelled ${@name@_TESTS})
  set(excluded)
  if(NOT tsan_excluded STREQUAL "")
    foreach(test IN LISTS @name@_TESTS)
      if(test MATCHES "${tsan_excluded}")
        list(REMOVE_ITEM labelled "${test}")
        list(APPEND excluded "${test}")
      endif()
    endforeach()
  endif()
  if(labelled)
    set_tests_properties(${labelled} PROPERTIES LABELS "@labels@")
  endif()
  if(excluded)
    set_tests_properties(${excluded} PROPERTIES LABELS "@labels_without_tsan@")
  endif()
endif()
]] @ONLY)
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties})
  endif()
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/home-${name})
endfunction()

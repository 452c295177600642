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
else()
  set(TAVORO_SANITIZER_ENV "")
  set(TAVORO_SANITIZER_TIMEOUT_FACTOR 1)
endif()

# Load runs whose size makes an instrumented run slow without finding more than the ordinary
# tests find: labelled "heavy" so that scripts/sanitize.sh can leave them out.
set(TAVORO_HEAVY_TESTS e2e_test_app_load)

# tavoro_add_test(NAME SOURCES src... LIBS lib... [GUI] [TIMEOUT s])
# Creates one test binary and registers it with CTest. GUI tests run under a private Xvfb
# server; unit tests are registered case by case so ctest reports each of them.
function(tavoro_add_test name)
  cmake_parse_arguments(T "GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  tavoro_strict_warnings(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/unit)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  math(EXPR T_TIMEOUT "${T_TIMEOUT} * ${TAVORO_SANITIZER_TIMEOUT_FACTOR}")
  set(env "TAVORO_IMAGES_DIR=${PROJECT_SOURCE_DIR}/data/images/"
          "HOME=${CMAKE_CURRENT_BINARY_DIR}/home-${name}" ${TAVORO_SANITIZER_ENV})
  if(T_GUI)
    if(NOT XVFB_RUN)
      message(FATAL_ERROR "xvfb-run is needed for the GUI tests (apt-get install xvfb xauth)")
    endif()
    set(labels gui)
    if(name IN_LIST TAVORO_HEAVY_TESTS)
      list(APPEND labels heavy)
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
    # The discovered tests get their properties from a file read after the list of tests:
    # gtest_discover_tests' own PROPERTIES flattens list values, so a second environment
    # entry or label would otherwise be taken for a property name and lost.
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    set(properties ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
    file(CONFIGURE OUTPUT ${properties} CONTENT [[
if(DEFINED @name@_TESTS)
  set_tests_properties(${@name@_TESTS} PROPERTIES TIMEOUT @T_TIMEOUT@ LABELS "@labels@"
                       ENVIRONMENT "@env@")
endif()
]] @ONLY)
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties})
  endif()
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/home-${name})
endfunction()

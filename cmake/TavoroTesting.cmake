find_package(GTest REQUIRED)
include(GoogleTest)
find_program(XVFB_RUN xvfb-run)

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
  if(T_GUI)
    if(NOT XVFB_RUN)
      message(FATAL_ERROR "xvfb-run is needed for the GUI tests (apt-get install xvfb xauth)")
    endif()
    add_test(NAME ${name}
             COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES
      TIMEOUT ${T_TIMEOUT}
      ENVIRONMENT "NO_AT_BRIDGE=1;GDK_BACKEND=x11;TAVORO_IMAGES_DIR=${PROJECT_SOURCE_DIR}/data/images/;HOME=${CMAKE_CURRENT_BINARY_DIR}/home-${name}"
      LABELS gui)
  else()
    gtest_discover_tests(${name}
      PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS unit
                 ENVIRONMENT "TAVORO_IMAGES_DIR=${PROJECT_SOURCE_DIR}/data/images/;HOME=${CMAKE_CURRENT_BINARY_DIR}/home-${name}"
      DISCOVERY_TIMEOUT 60)
  endif()
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/home-${name})
endfunction()

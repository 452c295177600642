# Installs the build tree into a private prefix and checks that a program standing where the
# installed client stands finds every icon in the installed images directory.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DBINDIR=... -DPROBE=... -DICONS_DIR=... -P CheckInstall.cmake
foreach(var BUILD_DIR PREFIX BINDIR PROBE ICONS_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${status}):\n${output}")
endif()
# /proc/self/exe, which the probe's path comes from, is always the real path.
file(REAL_PATH "${PREFIX}" prefix)
set(bin "${prefix}/${BINDIR}")
if(NOT EXISTS "${bin}/tavoro")
  message(FATAL_ERROR "the client was not installed as ${bin}/tavoro")
endif()

file(COPY "${PROBE}" DESTINATION "${bin}")
get_filename_component(probe_name "${PROBE}" NAME)
execute_process(COMMAND "${CMAKE_COMMAND}" -E env --unset=TAVORO_IMAGES_DIR "${bin}/${probe_name}"
                RESULT_VARIABLE status OUTPUT_VARIABLE images ERROR_VARIABLE errors
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${probe_name} failed (${status}): ${errors}")
endif()
string(FIND "${images}" "${prefix}/" at)
if(NOT at EQUAL 0)
  message(FATAL_ERROR "the installed client would read its icons from '${images}', "
                      "not from its own tree under ${prefix}")
endif()
if(NOT IS_DIRECTORY "${images}")
  message(FATAL_ERROR "'${images}' is no directory")
endif()

file(GLOB icons RELATIVE "${ICONS_DIR}" "${ICONS_DIR}/*.ico" "${ICONS_DIR}/*.gif"
     "${ICONS_DIR}/*.png")
list(LENGTH icons count)
if(count EQUAL 0)
  message(FATAL_ERROR "no icons in ${ICONS_DIR}")
endif()
set(missing "")
foreach(icon ${icons})
  if(NOT EXISTS "${images}${icon}")
    list(APPEND missing "${icon}")
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "not installed in ${images}: ${missing}")
endif()
message(STATUS "${count} icons found in ${images}")
file(REMOVE_RECURSE "${PREFIX}")

# Fails when a directory of the GUI-free core library includes a header of a layer above it.
# From the bottom up the core is tools, types, messages, net and settings; the widgets, dialogs
# and the application sit on top of it. Run as
#   cmake -DSOURCE_DIR=<repository>/src -P check_core_layers.cmake
set(gui_layers app dialog widgets)
set(forbidden_tools types messages net settings ${gui_layers})
set(forbidden_types messages net settings ${gui_layers})
set(forbidden_messages settings ${gui_layers})
set(forbidden_net ${gui_layers})
set(forbidden_settings ${gui_layers})

set(violations "")
foreach(layer tools types messages net settings)
  list(JOIN forbidden_${layer} "|" above)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(file ${files})
    file(STRINGS ${file} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](${above})/")
    foreach(hit ${hits})
      file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
      string(APPEND violations "\n  ${name}: ${hit}")
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes of a higher layer:${violations}")
endif()

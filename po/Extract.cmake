# Extracts the translatable texts of the client's sources into a template.
#   cmake -DXGETTEXT=... -DSOURCE_DIR=... -DVERSION=... -DOUTPUT=file.pot
#         [-DCOMPARE_WITH=committed.pot] -P Extract.cmake
# With COMPARE_WITH (and MSGCMP), fails naming every text of the fresh extraction that the committed
# template lacks (a text was added without regenerating the template).
foreach(var XGETTEXT SOURCE_DIR VERSION OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/src/*.cpp"
     "${SOURCE_DIR}/src/*.h")
list(SORT sources)
execute_process(
  COMMAND "${XGETTEXT}" --from-code=UTF-8 --language=C++ --keyword=_ --keyword=wxPLURAL:1,2
          --keyword=wxTRANSLATE --keyword=wxGETTEXT_IN_CONTEXT:1c,2
          --keyword=wxGETTEXT_IN_CONTEXT_PLURAL:1c,2,3 --add-comments=TRANSLATORS
          # The texts use %NAME% placeholders, which look like printf directives by accident.
          --flag=_:1:no-c-format --flag=wxPLURAL:1:no-c-format --flag=wxPLURAL:2:no-c-format
          --add-location=file --sort-by-file --package-name=tavoro
          "--package-version=${VERSION}" --msgid-bugs-address=none
          --output=${OUTPUT} ${sources}
  WORKING_DIRECTORY "${SOURCE_DIR}"
  RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "xgettext failed (${status}): ${errors}")
endif()

if(NOT DEFINED COMPARE_WITH)
  return()
endif()

# msgcmp reports every message of the fresh extraction that the committed template lacks.
execute_process(COMMAND "${MSGCMP}" --use-untranslated --use-fuzzy "${COMPARE_WITH}" "${OUTPUT}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "Translatable texts are missing from po/tavoro.pot:\n${output}\n"
                      "Regenerate it with: cmake --build <build dir> --target update-po")
endif()
message(STATUS "every translatable text is in po/tavoro.pot")

# Strict warnings for the project's own targets only (third-party headers are SYSTEM includes).
# Warnings are errors unless TAVORO_WERROR is off (a newer compiler with new warnings can then
# still build a release).
function(tavoro_strict_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(TAVORO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

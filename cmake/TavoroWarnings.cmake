# Strict warnings for the project's own targets only (third-party headers are SYSTEM includes).
function(tavoro_strict_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

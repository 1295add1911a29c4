# Warnings on the project's own code.
function(vantorix_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# Warning flags for the library's own targets (never forced on a consumer).
function(ktbase_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(KTBASE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

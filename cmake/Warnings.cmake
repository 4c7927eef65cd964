# Warning flags for the project's own targets.
function(tessarine_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wno-sign-conversion -Wnon-virtual-dtor -Wold-style-cast -Wimplicit-fallthrough)
endfunction()

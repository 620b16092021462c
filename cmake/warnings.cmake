# Warnings on, and clean: every target of the project calls this.
function(tvk_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
    -Wconversion -Wno-sign-conversion -Wcast-align -Wformat=2)
endfunction()

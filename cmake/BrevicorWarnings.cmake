# Every target of ours compiles with warnings as errors, on all three builds.
function(brevicor_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                             -Werror)
endfunction()

# Warnings as errors for our own targets: link a target against kelvara_warnings.
add_library(kelvara_warnings INTERFACE)
target_compile_options(kelvara_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Woverloaded-virtual -Wconversion -Wsign-conversion -Wimplicit-fallthrough -Werror)

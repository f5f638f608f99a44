# Hardening in every build, not only in the package: stack canaries, the C library's checked string and
# memory functions where the compiler optimises, and the standard library's checked containers in Debug and
# in the sanitizer builds. A packager's own flags (scripts/package.sh passes Debian's) are left as they are.
if(NOT WIN32)
    # MinGW would need libssp for both; the Windows build leaves them out.
    add_compile_options(-fstack-protector-strong)
    if(NOT CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE|-fsanitize")
        add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
    endif()
endif()

if(KELVARA_SANITIZE OR KELVARA_SANITIZE_THREADS)
    add_compile_definitions(_GLIBCXX_ASSERTIONS)
else()
    add_compile_definitions($<$<CONFIG:Debug>:_GLIBCXX_ASSERTIONS>)
endif()

if(KELVARA_SANITIZE AND KELVARA_SANITIZE_THREADS)
    message(FATAL_ERROR "KELVARA_SANITIZE and KELVARA_SANITIZE_THREADS exclude each other: use two build folders")
endif()
if(KELVARA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(KELVARA_SANITIZE_THREADS)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

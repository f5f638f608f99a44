# Warnings for our own targets: link a target against kelvara_warnings. They are errors only with
# KELVARA_WERROR=ON (scripts/test.sh and the sanitizer builds set it; CI exports KELVARA_WERROR=ON, so every
# build it configures holds to it), so that a newer compiler's new warning does not stop a user's build.
option(KELVARA_WERROR "Treat warnings as errors" "$ENV{KELVARA_WERROR}")

add_library(kelvara_warnings INTERFACE)
target_compile_options(kelvara_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Woverloaded-virtual -Wconversion -Wsign-conversion -Wimplicit-fallthrough -Wformat=2
    # Not where Qt's moc runs: GCC takes QPointer's checked access (isNull(), then ->) for a null dereference.
    $<$<NOT:$<BOOL:$<TARGET_PROPERTY:AUTOMOC>>>:-Wnull-dereference>)
if(KELVARA_WERROR)
    target_compile_options(kelvara_warnings INTERFACE -Werror)
endif()

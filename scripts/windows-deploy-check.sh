#!/bin/sh
# Checks the deployed Windows folder (scripts/cross-windows.sh lays it out): every program and DLL finds the DLLs
# it imports, the files Kelvara loads by name are there, and every third-party library it ships comes with its
# licence file in Lizenzen\.
# Usage: scripts/windows-deploy-check.sh DEPLOYED_FOLDER [BUILD_FOLDER]
set -eu
deploy="$1"
build="${2:-$deploy/../..}"
fail() {
    echo "$(basename "$0"): $1" >&2
    exit 1
}
[ -d "$deploy" ] || fail "no deployed folder $deploy"

# DLLs that every Windows 10 has.
is_system_dll() {
    case "$1" in
    advapi32.dll | authz.dll | bcrypt.dll | comdlg32.dll | crypt32.dll | d3d9.dll | d3d11.dll | dnsapi.dll | \
        dwmapi.dll | dxgi.dll | gdi32.dll | imm32.dll | iphlpapi.dll | kernel32.dll | mpr.dll | msvcrt.dll | \
        netapi32.dll | ole32.dll | oleaut32.dll | secur32.dll | shcore.dll | shell32.dll | shlwapi.dll | \
        user32.dll | userenv.dll | uxtheme.dll | version.dll | winhttp.dll | winmm.dll | ws2_32.dll | \
        wtsapi32.dll | api-ms-win-core-*.dll) return 0 ;;
    esac
    return 1
}
# Whether folder $1 holds the DLL $2 (Windows compares names without case).
folder_has() { find "$1" -maxdepth 1 -iname "$2" | grep -q .; }

# A program finds a DLL only in its own folder (or in Windows); a plugin also in the folder of the programs that
# load it, the top of the deployed folder.
find "$deploy" -iname '*.exe' -o -iname '*.dll' | while read -r file; do
    own=$(dirname "$file")
    imports=$(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]')
    for dll in $imports; do
        is_system_dll "$dll" && continue
        folder_has "$own" "$dll" && continue
        case "$file" in *.dll | *.DLL) folder_has "$deploy" "$dll" && continue ;; esac
        fail "${file#"$deploy"/} cannot start: it needs $dll, which is neither beside it nor part of Windows"
    done
done
[ -z "$(find "$deploy" -mindepth 2 -iname '*.exe')" ] ||
    fail "programs outside the top folder: $(find "$deploy" -mindepth 2 -iname '*.exe' | tr '\n' ' ')"

for needed in kelvara.exe kelvara-cli.exe platforms/qwindows.dll imageformats/qgif.dll imageformats/qjpeg.dll \
    imageformats/qsvg.dll tls/qschannelbackend.dll styles/qwindowsvistastyle.dll qtbase_de.qm qt.conf; do
    [ -f "$deploy/$needed" ] || fail "the deployed folder lacks $needed"
done

# The licence files each shipped binary needs: its own library's and those of the code built into it. A binary
# that this table does not know fails the check, so a new library cannot arrive without its licence.
licences_of() {
    case "$1" in
    kelvara.exe | kelvara-cli.exe) echo GCC-runtime GPL-3 mingw-w64 ;;
    qt6core.dll) echo Qt LGPL-3 GPL-3 zlib PCRE2 double-conversion TinyCBOR ;;
    qt6gui.dll) echo Qt LGPL-3 GPL-3 libpng HarfBuzz md4c ;;
    imageformats/qjpeg.dll) echo Qt LGPL-3 GPL-3 libjpeg-turbo ;;
    qt6*.dll | platforms/*.dll | imageformats/*.dll | iconengines/*.dll | styles/*.dll | tls/*.dll)
        echo Qt LGPL-3 GPL-3 ;;
    libstdc++-6.dll | libgcc_s_seh-1.dll) echo GCC-runtime GPL-3 ;;
    libwinpthread-1.dll) echo mingw-w64 ;;
    *) return 1 ;;
    esac
}
(cd "$deploy" && find . -iname '*.exe' -o -iname '*.dll') | sed 's|^\./||' | while read -r file; do
    name=$(printf '%s' "$file" | tr '[:upper:]' '[:lower:]')
    licences=$(licences_of "$name") || fail "$file is not in the licence table of $(basename "$0")"
    for licence in $licences; do
        [ -s "$deploy/Lizenzen/$licence.txt" ] || fail "$file ships without Lizenzen\\$licence.txt"
    done
done
# Static libraries leave no DLL behind: the link command of the program names them.
if grep -Eq 'libsodium\.a|-lsodium' "$build/build.ninja" 2>/dev/null; then
    [ -s "$deploy/Lizenzen/libsodium.txt" ] || fail "the programs link libsodium, but Lizenzen\\libsodium.txt is missing"
fi
echo "deployed folder checked: every program finds its DLLs, every third-party library has its licence"

#!/bin/sh
# Runs the cross-built kelvara-cli.exe under wine on a few files: the same bytes as the Linux build, round trips,
# the wrong-password status, names and passwords outside ASCII, a folder run that passes over hidden and system
# folders but takes hidden files, and the refusal of a mirror inside the source.
# Usage: scripts/windows-smoke.sh [BUILD-DIR]; skipped when wine64 is not installed.
set -eu
cd "$(dirname "$0")/.."
root="$PWD"
build="${1:-build-win}"
exe="$root/$build/src/cli/kelvara-cli.exe"
wine=""
for candidate in wine64 /usr/lib/wine/wine64; do
    if command -v "$candidate" >/dev/null 2>&1; then
        wine=$(command -v "$candidate")
        break
    fi
done
if [ -z "$wine" ]; then
    echo "wine64 is not installed: the Windows smoke test is skipped"
    exit 0
fi

work=$(mktemp -d)
# The wine server outlives the programs; it is stopped before the prefix it writes to is removed.
wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver=wineserver
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
cd "$work"

cli() { "$wine" "$exe" "$@"; }
fail() {
    echo "Windows smoke test failed: $1" >&2
    exit 1
}
# The Windows spelling of a path below /, which wine shows as drive Z:.
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | sed 's|/|\\|g')"; }

mkdir data
printf 'geheim' >pw
: >data/empty
head -c 600000 /dev/urandom >data/big.bin

cli encrypt data/empty -o empty.kvra --password-file pw
[ "$(od -An -tx1 empty.kvra | tr -d ' \n')" = 3a1f7482ff80c0a5ec6d281858c8cd018e6c0f6d4404f759b3b216a65b56107b ] ||
    fail "the check block of an empty file"
cli encrypt data/big.bin --password-file pw
[ "$(wc -c <data/big.bin.kvra)" -eq 600032 ] || fail "the encrypted size"
# The Linux build of scripts/test.sh, when there is one, gives the reference bytes.
linux_cli="${KELVARA_LINUX_CLI:-$root/${KELVARA_BUILD_DIR:-build}/src/cli/kelvara-cli}"
if [ -x "$linux_cli" ]; then
    "$linux_cli" encrypt data/big.bin -o linux.kvra --password-file pw
    cmp -s data/big.bin.kvra linux.kvra || fail "the same bytes as the Linux build"
fi
cli decrypt data/big.bin.kvra -o big.out --password-file pw
cmp -s data/big.bin big.out || fail "the round trip"
printf 'falsch' >wrong
status=0
cli decrypt data/big.bin.kvra -o wrong.out --password-file wrong 2>/dev/null || status=$?
if [ "$status" -ne 2 ] || [ -e wrong.out ]; then fail "the wrong-password status"; fi

# Names and passwords outside ASCII come in as UTF-8 from the wide command line and environment.
name=$(printf 'data/gr\303\274\303\237e.txt')
password_file=$(printf 'pw-\303\244')
printf 'p\303\244ssw\303\266rt\342\202\254' >"$password_file"
printf 'text' >"$name"
cli encrypt "$name" --password-file "$password_file"
KELVARA_PASSWORD="$(cat "$password_file")" "$wine" "$exe" verify "$name.kvra" >/dev/null ||
    fail "a password from the environment"

mkdir -p tree/sub tree/hidden tree/system
echo a >tree/a.txt
echo h >tree/hidden-file.txt
echo s >tree/sub/s.txt
echo x >tree/hidden/x.txt
echo y >tree/system/y.txt
"$wine" cmd /c attrib +h "$(winpath "$work/tree/hidden")" >/dev/null 2>&1
"$wine" cmd /c attrib +s "$(winpath "$work/tree/system")" >/dev/null 2>&1
"$wine" cmd /c attrib +h "$(winpath "$work/tree/hidden-file.txt")" >/dev/null 2>&1
cli encrypt-dir "$(winpath "$work/tree")" "$(winpath "$work/mirror")" --password-file pw
found=$(cd "mirror$work/tree" && find . -type f | sort | tr '\n' ' ')
[ "$found" = "./a.txt ./hidden-file.txt ./sub/s.txt " ] || fail "the folder run (found: $found)"
# Windows paths ignore letter case: a target inside the source spelled in other letters is refused as well.
status=0
cli encrypt-dir "$(winpath "$work/tree")" "$(winpath "$work/TREE/inside")" --password-file pw 2>/dev/null || status=$?
if [ "$status" -ne 3 ] || [ -e tree/inside ]; then fail "the refusal of a mirror inside the source"; fi

echo "Windows smoke test passed under $wine"

#!/bin/sh
# Runs the cross-built kelvara-cli.exe under wine on a few files: the same bytes as the Linux build, round trips,
# the wrong-password status, names and passwords outside ASCII, a folder run that passes over hidden and system
# folders but takes hidden files, and the refusal of a mirror inside the source.
# Usage: scripts/windows-smoke.sh [BUILD-DIR]; fails when wine is not installed.
set -eu
cd "$(dirname "$0")/.."
root="$PWD"
KELVARA_WINDOWS_BUILD_DIR="${1:-${KELVARA_WINDOWS_BUILD_DIR:-build-win}}"
. scripts/windows-env.sh
scripts/setup.sh
exe="$root/$build/src/cli/kelvara-cli.exe"
[ -f "$exe" ] || fail "no $exe (run scripts/cross-windows.sh)"

work=$(mktemp -d)
# The wine server outlives the programs; it is stopped before the prefix it writes to is removed.
trap 'stop_wine; rm -rf "$work"' EXIT
start_wine "$work"
cd "$work"

cli() { "$wine" "$exe" "$@"; }

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
# Texts are keyed with the password's Windows-1252 form: a Cyrillic password is refused there.
status=0
printf 'text' | KELVARA_PASSWORD="$(printf '\320\277\320\260\321\200\320\276\320\273\321\214')" "$wine" "$exe" encrypt-text \
    >/dev/null 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "the refusal of a text password outside Windows-1252 (status $status)"

# Paths beyond the 260 characters of MAX_PATH, with umlauts in the name.
long="$work/long"
for _ in 1 2 3 4 5 6; do long="$long/$(printf 'verzeichnis-%040d' 0)"; done
mkdir -p "$long"
printf 'lang' >"$long/datei.txt"
cli encrypt "$(winpath "$long/datei.txt")" --password-file pw || fail "encrypting at a path of ${#long} characters"
back="$long/zur$(printf '\303\274')ck.txt"
cli decrypt "$(winpath "$long/datei.txt.kvra")" -o "$(winpath "$back")" --password-file pw ||
    fail "decrypting at a path of ${#long} characters"
cmp -s "$long/datei.txt" "$back" || fail "the round trip at a long path"

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

#!/bin/sh
# Times kelvara-cli encrypting and decrypting a 512 MiB file (best of three runs; peak memory) beside
# "openssl enc -bf-cbc -nopad" and the cipher benchmark. Usage: bench/cli_throughput.sh [FOLDER] (default /tmp).
set -eu
cd "$(dirname "$0")/.."
folder="${1:-/tmp}"
build="${KELVARA_BUILD_DIR:-build}"
mebibytes="${KELVARA_BENCH_MIB:-512}"

if [ ! -x /usr/bin/time ]; then
    echo "needs /usr/bin/time (package 'time', installed by scripts/setup.sh)" >&2
    exit 1
fi
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --parallel 2 --target kelvara-cli
cmake --build "$build" --parallel 2 --target kelvara_cipher_bench 2>/dev/null || true
cli="$build/src/cli/kelvara-cli"

work="$(mktemp -d "$folder/kelvara-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT
plain="$work/plain.bin"
# A whole number of 8-byte blocks, so that "openssl enc -nopad" takes it as it is.
head -c "$((mebibytes * 1024 * 1024))" /dev/urandom > "$plain"
bytes="$(stat -c %s "$plain")"
printf 'bench password' > "$work/password"

# Runs a command three times under /usr/bin/time and prints "BEST_SECONDS HIGHEST_PEAK_KIB": the machine
# may be shared, so the best run is the one least disturbed.
measure() {
    : > "$work/times.txt"
    for run in 1 2 3; do
        /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" > /dev/null
        cat "$work/time.txt" >> "$work/times.txt"
    done
    awk 'NR == 1 || $1 < s { s = $1 } $2 > k { k = $2 } END { print s, k }' "$work/times.txt"
}
rate() { awk -v b="$bytes" -v s="$1" 'BEGIN { printf "%.1f", (s > 0 ? b / s / 1e6 : 0) }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

sync
set -- $(measure "$cli" encrypt "$plain" -o "$work/plain.kvra" -f --password-file "$work/password")
enc_s=$1 enc_kib=$2
set -- $(measure "$cli" decrypt "$work/plain.kvra" -o "$work/plain.back" -f --password-file "$work/password")
dec_s=$1 dec_kib=$2
cmp -s "$plain" "$work/plain.back" || { echo "decrypted file differs from the original" >&2; exit 1; }
rm -f "$work/plain.back"

key=00112233445566778899aabbccddeeff
iv=0011223344556677
set -- $(measure openssl enc -bf-cbc -nopad -K "$key" -iv "$iv" -provider legacy -provider default \
    -in "$plain" -out "$work/plain.ossl")
ossl_enc_s=$1 ossl_enc_kib=$2
set -- $(measure openssl enc -d -bf-cbc -nopad -K "$key" -iv "$iv" -provider legacy -provider default \
    -in "$work/plain.ossl" -out "$work/plain.ossl.back")
ossl_dec_s=$1 ossl_dec_kib=$2
rm -f "$work/plain.ossl" "$work/plain.ossl.back"

enc_rate=$(rate "$enc_s")
dec_rate=$(rate "$dec_s")
ossl_enc_rate=$(rate "$ossl_enc_s")
ossl_dec_rate=$(rate "$ossl_dec_s")
echo "file: $mebibytes MiB in $folder (MB = 10^6 bytes)"
echo "kelvara-cli encrypt  ${enc_rate} MB/s  ${enc_s} s  peak RSS $((enc_kib / 1024)) MiB (${enc_kib} KiB)"
echo "kelvara-cli decrypt  ${dec_rate} MB/s  ${dec_s} s  peak RSS $((dec_kib / 1024)) MiB (${dec_kib} KiB)"
echo "openssl enc encrypt  ${ossl_enc_rate} MB/s  ${ossl_enc_s} s  peak RSS $((ossl_enc_kib / 1024)) MiB"
echo "openssl enc decrypt  ${ossl_dec_rate} MB/s  ${ossl_dec_s} s  peak RSS $((ossl_dec_kib / 1024)) MiB"
echo "ratio kelvara-cli / openssl enc: encrypt $(ratio "$enc_rate" "$ossl_enc_rate")  decrypt $(ratio "$dec_rate" "$ossl_dec_rate")"

status=0
for kib in "$enc_kib" "$dec_kib"; do
    [ "$kib" -lt 16384 ] || { echo "peak RSS of ${kib} KiB is not under 16 MiB" >&2; status=1; }
done
bench="$build/bench/kelvara_cipher_bench"
if [ -x "$bench" ]; then
    engine=$("$bench" | awk '$1 == "kelvara" && $2 == "encrypt" { print $3, $6 }')
    set -- $engine
    echo "cipher benchmark (engine alone): encrypt $1 MB/s  decrypt $2 MB/s"
    echo "ratio kelvara-cli / engine: encrypt $(ratio "$enc_rate" "$1")  decrypt $(ratio "$dec_rate" "$2") (goal: 0.90 or more)"
else
    echo "cipher benchmark $bench not built: no engine comparison"
fi
exit $status

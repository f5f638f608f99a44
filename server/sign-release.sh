#!/bin/sh
# Signs a release for the update check with minisign: writes FILE.minisig beside each file, which is what a
# build with KELVARA_UPDATE_PUBLIC_KEY checks before it believes a version file or starts an installer.
# Usage: server/sign-release.sh KEYFILE [FILE ...]
#   KEYFILE  the secret key made by `minisign -G` (minisign asks for its password, if it has one)
#   FILE     the files to sign; default: kelvara.txt and every installer below dl/ in this folder
# When the public key lies beside the secret one (kelvara.key and kelvara.pub), every signature is checked
# against it afterwards.
set -eu
[ $# -ge 1 ] || {
    echo "usage: $0 KEYFILE [FILE ...]" >&2
    exit 2
}
[ -f "$1" ] || {
    echo "$0: no secret key at $1" >&2
    exit 1
}
# An absolute path: the default files are signed from inside this folder.
key="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
shift
command -v minisign >/dev/null || {
    echo "$0: minisign is not installed (apt install minisign)" >&2
    exit 1
}
if [ $# -eq 0 ]; then
    cd "$(dirname "$0")"
    set -- kelvara.txt
    for file in dl/*; do
        case "$file" in *.minisig) ;; *) [ -f "$file" ] && set -- "$@" "$file" ;; esac
    done
fi
public="${key%.*}.pub"
for file in "$@"; do
    minisign -S -s "$key" -m "$file" -t "file:$(basename "$file") signed:$(date -u +%Y-%m-%dT%H:%M:%SZ)"
    if [ -f "$public" ]; then
        minisign -V -q -p "$public" -m "$file"
    fi
    echo "signed: $file.minisig"
done

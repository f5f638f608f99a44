#!/bin/sh
# Fails when a text of the window has no finished English translation, or when translations/kelvara_en.ts is not
# what lupdate makes of today's sources (run scripts/update-translations.sh, translate, commit).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
committed="$root/translations/kelvara_en.ts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fresh="$work/kelvara_en.ts"
cp "$committed" "$fresh"
# A missing lupdate fails here (status 2): the check must never pass without running.
"$root/scripts/update-translations.sh" "$fresh"

status=0
unfinished=$(grep -c -E 'type="(unfinished|vanished|obsolete)"' "$fresh" || true)
empty=$(grep -c -E '<translation( [^>]*)?>[[:space:]]*</translation>|<translation */>' "$fresh" || true)
if [ "$unfinished" -ne 0 ] || [ "$empty" -ne 0 ]; then
    echo "check-translations: $unfinished unfinished or vanished and $empty empty English translations:" >&2
    grep -B2 -E 'type="(unfinished|vanished|obsolete)"|<translation( [^>]*)?>[[:space:]]*</translation>|<translation */>' \
        "$fresh" | grep '<source>' >&2 || true
    status=1
fi
if ! diff -u "$committed" "$fresh" >"$work/diff"; then
    echo "check-translations: translations/kelvara_en.ts is out of date; run scripts/update-translations.sh:" >&2
    cat "$work/diff" >&2
    status=1
fi
[ "$status" -eq 0 ] && echo "check-translations: $(grep -c '<message' "$fresh") texts, all translated, file up to date"
exit "$status"

#!/bin/sh
# Fails on an #include that the layer rules of docs/ARCHITECTURE.md do not allow. The rules are read from the
# table "| `layer` | may include | Qt |" on that page, so the page and the check cannot drift apart: every
# folder under src/ needs a row, a layer includes only itself and what its row names, and a layer whose Qt
# column says "no" includes no Qt header. A file with its own row (`app/main.cpp`) follows that row.
set -eu
cd "$(dirname "$0")/.."
page=docs/ARCHITECTURE.md

rules=$(sed -n 's/^| `\([a-z_./]*\)` | \([^|]*\)| \(yes\|no\) |$/\1|\2|\3/p' "$page")
if [ -z "$rules" ]; then
    echo "check-layers: no rules table found in $page" >&2
    exit 1
fi

status=0
for folder in src/*/; do
    layer=$(basename "$folder")
    if ! printf '%s\n' "$rules" | grep -q "^$layer|"; then
        echo "check-layers: src/$layer has no row in the rules table of $page" >&2
        status=1
    fi
done

# One line per include of ours or of Qt: file, included layer (or "Qt").
find src -name '*.h' -o -name '*.cpp' | sort | while read -r file; do
    sed -n -e 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z_]*\)\/.*/\1/p' \
           -e 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q[A-Za-z]*[>/].*|Qt|p' "$file" |
        while read -r used; do echo "$file $used"; done
done | {
    failed=0
    while read -r file used; do
        relative=${file#src/}
        layer=${relative%%/*}
        row=$(printf '%s\n' "$rules" | grep "^$relative|" || printf '%s\n' "$rules" | grep "^$layer|" || true)
        [ -n "$row" ] || continue # reported above
        allowed=$(printf '%s' "$row" | cut -d'|' -f2 | tr -d '`,')
        qt=$(printf '%s' "$row" | cut -d'|' -f3)
        if [ "$used" = Qt ]; then
            [ "$qt" = yes ] && continue
            echo "check-layers: $file includes Qt, which $layer may not use" >&2
            failed=1
            continue
        fi
        [ "$used" = "$layer" ] && continue
        case " $allowed " in
        *" $used "*) ;;
        *)
            echo "check-layers: $file includes $used/, which $layer may not use" >&2
            failed=1
            ;;
        esac
    done
    exit "$failed"
} || status=1

[ "$status" -eq 0 ] && echo "check-layers: every include keeps to the layer rules"
exit "$status"

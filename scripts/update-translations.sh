#!/bin/sh
# Brings translations/kelvara_en.ts up to date with the window's texts (lupdate), keeping the English already
# written. New texts come in as unfinished: translate them (Qt Linguist or any editor) before committing.
# With a file argument, updates that file instead (the translation check uses a copy).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
ts=${1:-"$root/translations/kelvara_en.ts"}
lupdate=$(command -v lupdate || true)
[ -n "$lupdate" ] || [ ! -x /usr/lib/qt6/bin/lupdate ] || lupdate=/usr/lib/qt6/bin/lupdate
if [ -z "$lupdate" ]; then
    echo "update-translations: lupdate not found (Debian package qt6-l10n-tools)" >&2
    exit 2
fi
cd "$root"
# No line numbers in the file: moving code must not make it out of date.
"$lupdate" -silent -locations none -no-obsolete -source-language de -target-language en -extensions cpp,h \
    -I src src/app src/ui src/online src/placement -ts "$ts"

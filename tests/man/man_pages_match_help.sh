#!/bin/sh
# The manual pages say what the programs say of themselves: the synopsis and the options of kelvara-cli(1) and
# kelvara(1) are compared with the programs' --help, so that neither can change without the other.
# Usage: man_pages_match_help.sh MAN_FOLDER KELVARA_CLI [KELVARA]
set -eu
man_dir="$1"
cli="$2"
window="${3:-}"
command -v man >/dev/null || { echo "FAIL: man is missing (scripts/setup.sh installs man-db)" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0

# A page in plain ASCII, each synopsis line on one line.
render() { LC_ALL=C MANWIDTH=1000 man -l "$1" 2>/dev/null; }
# The lines of the section headed $1, without the heading and blank lines, left-aligned.
section() { sed -n "/^$1\$/,/^[A-Z]/p" | sed '1d;/^[A-Z]/d;/^ *$/d;s/^ *//'; }
# Option tags ("-o, --output OUTPUT"): of the page's OPTIONS section, and of help texts on standard input.
page_options() { render "$1" | sed -n '/^OPTIONS$/,/^[A-Z]/p' | sed -n 's/^       \(-.*\)$/\1/p' | sort; }
help_options() { sed -n 's/^  \(-[^ ].*\)$/\1/p' | sed 's/  .*//' | sort -u; }
compare() {
    if diff -u "$2" "$3" >"$work/diff"; then
        echo "$1: manual page and --help agree"
    else
        echo "FAIL: $1 differ (- manual page, + --help):"
        sed '1,2d' "$work/diff"
        failed=1
    fi
}

# kelvara-cli: one synopsis line per command, as each command's --help gives its usage; the options of all
# commands, and --help and --version of the program.
render "$man_dir/kelvara-cli.1" | section SYNOPSIS | grep -v -e COMMAND -e '^kelvara-cli \[' >"$work/cli-page-synopsis"
commands=$("$cli" --help | sed -n '/^Commands:/,/^$/p' | sed -n 's/^  \([a-z-]*\) .*/\1/p')
[ -n "$commands" ] || { echo "FAIL: kelvara-cli --help lists no commands" >&2; exit 1; }
: >"$work/cli-help"
for name in $commands; do
    "$cli" "$name" --help >>"$work/cli-help"
done
sed -n 's/^usage: //p' "$work/cli-help" >"$work/cli-help-synopsis"
compare "kelvara-cli synopsis" "$work/cli-page-synopsis" "$work/cli-help-synopsis"
page_options "$man_dir/kelvara-cli.1" >"$work/cli-page-options"
{ help_options <"$work/cli-help"; printf '%s\n' '-h, --help' '--version'; } | sort -u >"$work/cli-help-options"
compare "kelvara-cli options" "$work/cli-page-options" "$work/cli-help-options"

# kelvara: the usage line without Qt's "[options]", and the options.
if [ -n "$window" ]; then
    "$window" --help >"$work/window-help"
    render "$man_dir/kelvara.1" | section SYNOPSIS | grep -v -e '--help' | sed 's/ \.\.\./.../g' >"$work/window-page-synopsis"
    sed -n 's/^Usage: [^ ]*kelvara \[options\]/kelvara/p' "$work/window-help" >"$work/window-help-synopsis"
    compare "kelvara synopsis" "$work/window-page-synopsis" "$work/window-help-synopsis"
    page_options "$man_dir/kelvara.1" >"$work/window-page-options"
    help_options <"$work/window-help" >"$work/window-help-options"
    compare "kelvara options" "$work/window-page-options" "$work/window-help-options"
fi
exit "$failed"

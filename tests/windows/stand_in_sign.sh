#!/bin/sh
# A stand-in for a maker's signing command: notes which file it was asked to sign in the log $1 and checks that
# the file is a Windows program (a real signing tool would sign it in place).
# Usage: stand_in_sign.sh LOG FILE
set -eu
[ "$(head -c 2 "$2")" = MZ ] || { echo "stand_in_sign.sh: $2 is no Windows program" >&2; exit 1; }
echo "$2" >>"$1"

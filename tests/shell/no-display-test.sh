#!/usr/bin/env bash
# pagelorn answers --help, --version and a mistaken command line without a display: the toolkit's
# platform plugin, which stops the program when it finds none, is never started for them.
# Usage: no-display-test.sh PATH/TO/pagelorn
set -u
program=$1
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# No display of any kind, and the X11 plugin, which needs one.
run() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" "$@"; }

out=$(run --version 2>&1) && [[ $out == "pagelorn "* ]] || fail "--version: $out"
out=$(run --help 2>&1) && [[ $out == *"usage: pagelorn"* ]] || fail "--help: $out"
for args in "--bogus" "-style fusion --bogus" "one.www two.www"; do
    status=0
    # shellcheck disable=SC2086
    err=$(run $args 2>&1 >/dev/null) || status=$?
    [[ $status == 2 && $err == *"usage: pagelorn"* ]] || fail "$args: exit $status, $err"
done
# The toolkit's options are no mistake: with them the program goes on to need a display.
status=0
run -style fusion --version >/dev/null 2>&1 || status=$?
[[ $status == 0 ]] || fail "-style fusion --version: exit $status"

((failures)) && exit 1
echo "pagelorn without a display: all checks passed"

#!/usr/bin/env bash
# The manual page of pagelorn-cli and the program's own help say the same: the same commands,
# each command's usage line and options, the same global options and the same exit statuses.
#   manual-test.sh PAGELORN_CLI MANUAL.scd
set -euo pipefail
cli=$1
manual=$2
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The manual as plain text: no comments, no bold or underline marks, no escapes, single blanks.
text=$(grep -v '^;' "$manual" | sed -e 's/[*_]//g' -e 's/\\\(.\)/\1/g' -e 's/^[[:space:]]*//' |
    tr -s ' \t' ' ')
section() { awk -v name="# $1" '$0 == name { on = 1; next } /^# / { on = 0 } on' <<<"$text"; }

help=$("$cli" --help)
commands=$(sed -n '/^Commands:/,/^$/p' <<<"$help" | grep -E '^  [a-z]' | awk '{ print $1 }')
manual_commands=$(section COMMANDS | sed -n 's/^pagelorn-cli \([a-z][a-z-]*\) .*/\1/p')
[ "$(sort <<<"$commands")" = "$(sort <<<"$manual_commands")" ] ||
    fail "commands: --help lists $(echo $commands), the manual $(echo $manual_commands)"

all_help=$help
for command in $commands; do
    usage=$("$cli" "$command" --help)
    all_help+=$'\n'$usage
    usage_line=$(sed -n 's/^usage: //p' <<<"$usage" | tr -s ' ')
    grep -qxF "$usage_line" <<<"$(section COMMANDS)" ||
        fail "$command: the manual has no entry \"$usage_line\""
    entry=$(section COMMANDS | awk -v start="$usage_line" \
        '$0 == start { on = 1; next } /^pagelorn-cli / { on = 0 } on')
    for option in $(grep -oE '^ +--?[a-z][a-z-]*' <<<"$usage" | tr -d ' '); do
        grep -qE "^$option( |$)" <<<"$entry" || fail "$command $option is not in the manual"
    done
done

for option in $(sed -n '/^Options:/,/^$/p' <<<"$help" | grep -oE -- '--?[a-z][a-z-]*'); do
    grep -qE -- "(^|, )$option( |,|$)" <<<"$(section OPTIONS)" ||
        fail "the option $option is not under OPTIONS in the manual"
done
# Every option the manual names is one the program's help names too.
for option in $(grep -oE -- '(^|[ [(])--[a-z][a-z-]*' <<<"$text" | grep -oE -- '--[a-z-]+' | sort -u); do
    grep -qE -- "$option( |,|$)" <<<"$all_help" || fail "the manual names $option, the help does not"
done

codes=$(sed -n '/^Exit status:/,/^$/p' <<<"$help" | sed -n 's/^  \([0-9][0-9]*\)  .*/\1/p')
manual_codes=$(section "EXIT STATUS" | grep -xE '[0-9]+')
[ "$(sort -n <<<"$codes")" = "$(sort -n <<<"$manual_codes")" ] ||
    fail "exit statuses: --help lists $(echo $codes), the manual $(echo $manual_codes)"

if ((failures)); then
    echo "$failures differences between the manual and the help" >&2
    exit 1
fi
echo "the manual and the help agree on $(echo $commands | wc -w) commands"

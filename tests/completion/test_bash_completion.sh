#!/usr/bin/env bash
# Runs the bash completion function as bash would on a command line, and
# checks that it offers every option the program's --help names.
#   test_bash_completion.sh COMPLETION_FILE TARNWICK_EXE
set -uo pipefail
source "$1"
exe=$2
failures=0
checks=0

# What _tarnwick offers for a line whose last word is being completed.
offers() {
    read -ra COMP_WORDS <<<"$1"
    [[ $1 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _tarnwick
    printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd' ' -
}

expect() {
    local got
    checks=$((checks + 1))
    got=$(offers "$1")
    if [[ $got != "$2" ]]; then
        echo "FAIL: '$1' offers '$got', expected '$2'"
        failures=$((failures + 1))
    fi
}

expect "tarnwick PRIV" "PRIV-1 PRIV-2 PRIV-3 PRIV-4 PRIV-5"
expect "tarnwick offi-" "OFFI-1 OFFI-2"
expect "tarnwick priv-2 " "NOMSG"
expect "tarnwick Priv-2 no" "NOMSG"
expect "tarnwick PRIV-9 " ""
expect "tarnwick --status " ""
expect "tarnwick PRIV-2 NOMSG " ""
expect "tarnwick --v" "--version"
expect "tarnwick --print pRiV-" "PRIV-1 PRIV-2 PRIV-3 PRIV-4 PRIV-5"

# Every option of --help, and no other, is offered after "--".
help_options=$("$exe" --help | grep -oE '^  tarnwick --[a-z-]+' | awk '{print $2}' | sort | paste -sd' ' -)
expect "tarnwick --" "$help_options"

echo "$((checks - failures)) passed, $failures failed"
[[ $failures -eq 0 ]]

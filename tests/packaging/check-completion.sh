#!/usr/bin/env bash
# check-completion.sh COMPLETION TROUVEL: what the bash completion offers after various
# words, with TROUVEL (whose --help names the scripts folders) as the command typed.
set -uo pipefail
completion=$1 trouvel=$2
# shellcheck source=/dev/null
source "$completion"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch films.csv notes.txt mine.tvs
mkdir dossier
failures=0

# complete WORD... : the words offered for the last WORD, sorted, one a line.
complete_words() {
    COMP_WORDS=("$trouvel" "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    _trouvel
    printf '%s\n' "${COMPREPLY[@]}" | sort -u
}
# expect "WANTED" WORD...: the offer is exactly WANTED (space separated).
expect() {
    local wanted got
    wanted=$(tr ' ' '\n' <<<"$1" | sed '/^$/d' | sort -u)
    shift
    got=$(complete_words "$@" | sed '/^$/d')
    if [[ $got != "$wanted" ]]; then
        echo "FAIL: after '$*': got [$(tr '\n' ' ' <<<"$got")], wanted [$(tr '\n' ' ' <<<"$wanted")]"
        failures=$((failures + 1))
    fi
}

expect "try record check lint batch demo atelier help --help --version" ""
expect "--json --help" lint Demo.tvs --
expect "batch" "b"
expect "--explain" try Demo.tvs x --e
expect "--json" try Demo.tvs x --j
expect "--only-empty" batch films.csv --on
expect "films.csv dossier" batch ""
expect "Demo mine.tvs dossier" try ""
expect "Demo" record D
expect "Demo" check D
expect "" try mine.tvs ""
expect "dossier" check mine.tvs ""
expect "Demo" batch films.csv --script D
expect "Demo" batch films.csv --script = D
expect "Demo mine.tvs dossier" batch films.csv --script ""
expect "films.csv dossier" batch --script Demo ""
expect "" batch films.csv --from ""
expect "dossier" record mine.tvs x --to ""
expect "demo" de
expect "dossier" demo ""
expect "atelier" "at"
expect "mine.tvs dossier" atelier ""
expect "" atelier mine.tvs ""
expect "--cookies" atelier mine.tvs --co
expect "" inconnue ""

[[ $failures -eq 0 ]] && echo "completion: all checks passed"
exit $((failures > 0))

#!/usr/bin/env bash
# What Tab offers after each command line, through the completion function itself.
# Usage: completion_test.sh TAVRINO_CLI COMPLETION_FILE
set -uo pipefail
cli=$(realpath "$1")
# shellcheck source=packaging/bash-completion/tavrino-cli
source "$2"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir rx "my folder"
touch mine.csv

# The completions of the last word of LINE ("" after a final blank), sorted, comma-separated.
complete_line() {
    local line=$1
    read -ra COMP_WORDS <<<"$line"
    COMP_WORDS=("$cli" "${COMP_WORDS[@]}")
    [[ $line == *" " || -z $line ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _tavrino_cli
    printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | paste -sd, -
}

failures=0
while IFS='|' read -r line expected; do
    actual=$(complete_line "$line")
    if [[ $actual != "$expected" ]]; then
        echo "tavrino-cli $line<Tab>: expected '$expected', got '$actual'"
        failures=$((failures + 1))
    fi
done <<'CASES'
--f|--format
--format |csv,table
--codepage KOI|KOI8-R
--data-dir |my folder,rx
bouquet-re|bouquet-remove,bouquet-remove-items,bouquet-rename
import-|import-ini,import-kingofsat,import-xml
info |my folder,rx
--format table --data-dir rx info |my folder,rx
resave rx |my folder,rx
bouquet rx |
bouquet-move rx 2 |
export-bouquets rx |mine.csv,my folder,rx
import-ini rx a.ini |mine.csv,my folder,rx
send rx --no-r|--no-reload
send rx --profile |
send --timeout 5 |my folder,rx
receive --to |my folder,rx
services rx --so|--sort
services rx --type |Radio,TV
transponder-add rx 0 --pol |H,V
satellite-add rx --lnb-f|--lnb-freq
satellite-add rx --power |Off,On
make-sample rx --services 100 --fo|--force
profile-add --password-file |mine.csv,my folder,rx
CASES

if ! complete_line "" | grep -q "^info,\|,info,"; then
    echo "tavrino-cli <Tab>: the commands are not offered"
    failures=$((failures + 1))
fi
exit $((failures > 0))

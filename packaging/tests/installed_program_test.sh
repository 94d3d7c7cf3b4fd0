#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the installed programs as a user would:
# from / as the working folder, with a bin folder that root could write to.
# Usage: installed_program_test.sh BUILD_DIR SOURCE_DIR gui|no-gui
set -uo pipefail
build=$1
source_dir=$2
gui=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0
fail() {
    echo "$*"
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" --strip >/dev/null || exit 1

files=(bin/tavrino-cli share/man/man1/tavrino-cli.1.gz
    share/bash-completion/completions/tavrino-cli share/doc/tavrino/copyright
    share/doc/tavrino/changelog.gz)
if [ "$gui" = gui ]; then
    files+=(bin/tavrino share/man/man1/tavrino.1.gz
        share/applications/io.github.tavrino.Tavrino.desktop
        share/metainfo/io.github.tavrino.Tavrino.metainfo.xml
        share/icons/hicolor/scalable/apps/io.github.tavrino.Tavrino.svg)
    for size in 48 64 128 256; do
        files+=("share/icons/hicolor/${size}x${size}/apps/io.github.tavrino.Tavrino.png")
    done
fi
for file in "${files[@]}"; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done
installed_bin=$(ls "$prefix/bin")

# Run PROGRAM ARGS... from / with a fresh home and no data folder chosen.
run_as_user() {
    (cd / && env -u TAVRINO_HOME -u XDG_DATA_HOME HOME="$work/home" "$@")
}

run_as_user "$prefix/bin/tavrino-cli" --help >/dev/null || fail "tavrino-cli --help failed"
run_as_user "$prefix/bin/tavrino-cli" profiles >/dev/null || fail "tavrino-cli profiles failed"
[ -f "$work/home/.local/share/Tavrino/Tavrino/Profiles.ini" ] ||
    fail "tavrino-cli did not keep its profiles in the per-user folder"
if [ "$gui" = gui ]; then
    QT_QPA_PLATFORM=offscreen run_as_user "$prefix/bin/tavrino" --screenshot "$work/shot.png" ||
        fail "tavrino --screenshot failed"
    [ -s "$work/shot.png" ] || fail "tavrino wrote no screenshot"
    [ -d "$work/home/.local/share/Tavrino/Tavrino/tmp" ] ||
        fail "tavrino did not make its staging folder in the per-user folder"
fi
[ "$(ls "$prefix/bin")" = "$installed_bin" ] ||
    fail "the programs wrote beside themselves: $(ls "$prefix/bin" | tr '\n' ' ')"

# A copy in a folder of its own is portable: it keeps its files beside itself.
mkdir "$work/portable"
cp "$prefix/bin/tavrino-cli" "$work/portable/"
run_as_user "$work/portable/tavrino-cli" profiles >/dev/null
[ -f "$work/portable/Profiles.ini" ] || fail "a portable copy did not keep its profiles beside it"

# Nothing of the source or build tree is baked into the programs.
for program in "$prefix"/bin/*; do
    [ -f "$program" ] || continue
    for tree in "$source_dir" "$build"; do
        if grep -qaF "$(realpath "$tree")" "$program"; then
            fail "$(basename "$program") names $tree"
        fi
    done
done
exit $((failures > 0))

#!/usr/bin/env bash
# check-install.sh BUILD PLUGINS_DIR: installs BUILD into a temporary prefix and checks
# what the installation holds. PLUGINS_DIR: the plug-in folders, relative to the prefix.
set -uo pipefail
export LC_ALL=C.UTF-8 # multibyte letters in the checks of the French pages
build=$1 plugins=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
scripts="$prefix/$plugins/Trouvel/scripts"
man1="$prefix/share/man/man1"
man1_fr="$prefix/share/man/fr/man1"
for file in bin/cadrelle bin/trouvel bin/trouvel-demo-site "$plugins/Trouvel/Trouvel.so" "$plugins/Trouvel/scripts/Demo.tvs" \
            include/trouvel/Trouvel.h share/applications/cadrelle.desktop share/metainfo/fr.trouvel.cadrelle.metainfo.xml \
            share/bash-completion/completions/trouvel share/doc/trouvel/README.md share/doc/trouvel/docs/script-format.md \
            share/doc/trouvel/docs/wizard.png share/doc/trouvel/copyright share/doc/trouvel/changelog \
            share/trouvel/demo/demo.csv share/trouvel/demo/Trouvel.ini; do
    [[ -f $prefix/$file ]] || fail "not installed: $file"
done
for name in trouvel cadrelle trouvel-demo-site; do
    [[ -f $man1/$name.1 ]] || fail "no English man page $name.1 in share/man/man1"
    [[ -f $man1_fr/$name.1 ]] || fail "no French man page $name.1 in share/man/fr/man1"
done

# Every relative link of the installed README and docs leads to an installed file.
for doc in "$prefix/share/doc/trouvel/README.md" "$prefix"/share/doc/trouvel/docs/*.md; do
    while IFS= read -r target; do
        target=${target%%#*}
        [[ -z $target || $target == *://* ]] && continue
        [[ -e $(dirname "$doc")/$target ]] || fail "${doc#"$prefix"/} links to $target, which is not installed"
    done < <(grep -oE '\]\([^)]+\)' "$doc" | sed -E 's/^\]\((.*)\)$/\1/')
done

# The workbench window sits among the tool's helpers, where `trouvel atelier` runs it from.
[[ -x $prefix/libexec/trouvel/trouvel-atelier ]] || fail "not installed: libexec/trouvel/trouvel-atelier"
atelier_err=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/trouvel" atelier 2>&1 >/dev/null)
grep -q "SCRIPT attendu" <<<"$atelier_err" || fail "trouvel atelier does not run the installed workbench: $atelier_err"

# The desktop entry, its icon and the metainfo that names both.
desktop="$prefix/share/applications/cadrelle.desktop"
metainfo="$prefix/share/metainfo/fr.trouvel.cadrelle.metainfo.xml"
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[[ -f $prefix/share/icons/hicolor/scalable/apps/$icon.svg ]] || fail "the desktop entry's icon '$icon' is not in hicolor/scalable/apps"
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" || fail "the icon is not an SVG drawing"
appstreamcli validate --no-net "$metainfo" >/dev/null || { appstreamcli validate --no-net "$metainfo"; fail "appstreamcli validate"; }
grep -q "<launchable type=\"desktop-id\">cadrelle.desktop</launchable>" "$metainfo" || fail "the metainfo does not launch cadrelle.desktop"
grep -q "<icon type=\"stock\">$icon</icon>" "$metainfo" || fail "the metainfo does not name the icon $icon"
grep -q '@[A-Z_]*@' "$metainfo" && fail "placeholders left in the metainfo"

# Each man page renders without groff warnings, with its name line. The French pages
# document every option that the program's --help lists, and are not hyphenated: groff would
# cut French words by English rules ("enreg‐istré"). A line may still end at a hyphen the
# word has in the page's source ("arrière-plan").
rendered="$prefix/rendered.txt"
renders() { # PAGE HEADING NAME: renders PAGE into $rendered, checks its HEADING section and name line
    MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$1" >"$rendered" 2>"$prefix/man.err" || fail "man -l $1: status $?"
    [[ -s $prefix/man.err ]] && fail "man -l $1 warns: $(cat "$prefix/man.err")"
    grep -q "^$2\$" "$rendered" || fail "$1 has no $2 section"
    grep -qE "^ +$3 +- " "$rendered" || fail "$1 does not start with its name line"
    grep -q '@[A-Z_]*@' "$1" && fail "placeholders left in $1"
}
for name in trouvel cadrelle trouvel-demo-site; do
    renders "$man1/$name.1" NAME "$name"
    renders "$man1_fr/$name.1" NOM "$name"
    cut=""
    while IFS= read -r line; do
        if [[ -n $cut ]]; then
            read -r first _ <<<"$line"
            word="$cut-${first%%[,.;:)»]*}"
            grep -qF -- "$word" "$man1_fr/$name.1" || fail "$name(1) in French is hyphenated: $word"
            cut=""
        fi
        if [[ $line == *[[:alpha:]]‐ ]]; then
            cut=${line##* }
            cut=${cut%‐}
            cut=${cut##*[(«]}
        fi
    done <"$rendered"
    help=$("$prefix/bin/$name" --help 2>/dev/null) || fail "$name --help: status $?"
    # Looked for in the page's source, where a line break cannot hyphenate them.
    for option in $(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
        grep -qF -- "${option//-/\\-}" "$man1_fr/$name.1" || fail "$name(1) does not document $option"
    done
done
for page in "$man1/trouvel.1" "$man1_fr/trouvel.1"; do
    grep -qF "$scripts" "$page" || fail "$page does not name the installed scripts folder $scripts"
    grep -qF "$prefix/share/doc/trouvel/docs/script\\-format.md" "$page" || fail "$page does not name the installed script-format.md"
done

# The installed programs find the installed plug-in and its scripts.
grep -qF "$prefix/$plugins/Trouvel/Trouvel.so" <<<"$("$prefix/bin/cadrelle" --list-plugins 2>/dev/null)" \
    || fail "cadrelle --list-plugins does not find the installed plug-in"
grep -qxF "    $(realpath "$scripts")" <<<"$("$prefix/bin/trouvel" --help)" || fail "trouvel --help does not name $scripts"

# The help that Qt writes for the demo site speaks French too.
demo_help=$("$prefix/bin/trouvel-demo-site" --help 2>/dev/null)
grep -q '^Utilisation : ' <<<"$demo_help" || fail "trouvel-demo-site --help: no French usage line"
grep -qF -- '-h, --help        Affiche cette aide et quitte.' <<<"$demo_help" || fail "trouvel-demo-site --help: --help not described in French"

[[ $failures -eq 0 ]] && echo "installed layout under $prefix: all checks passed"
exit $((failures > 0))

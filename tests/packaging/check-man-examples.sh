#!/usr/bin/env bash
# check-man-examples.sh BUILD: installs BUILD into a temporary prefix and runs every command of
# the EXEMPLES (French) and EXAMPLES (English) sections of the installed man pages as written,
# one after the other from a fresh home, against the installed demo site. The site listens on
# a free port rather than 8737: the home's own copy of the Demo script points there, hiding
# the bundled one as a user's script does.
set -uo pipefail
export LC_ALL=C.UTF-8
work=$(mktemp -d)
prefix="$work/prefix" pids="$work/site-pids"
stop_sites() {
    [[ -f $pids ]] && while read -r pid; do kill "$pid" 2>/dev/null; done <"$pids"
    : >"$pids"
}
trap 'stop_sites; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$1" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
export PATH="$prefix/bin:$PATH"
bundled=$(find "$prefix" -path '*/Trouvel/scripts/Demo.tvs' | head -n 1)

# The commands of a page's section: its lines between .nf and .fi, troff's escapes undone.
examples() { # PAGE HEADING
    awk -v h="$2" '/^\.SH / { on = ($2 == h); next } on && /^\.nf/ { nf = 1; next } on && /^\.fi/ { nf = 0; next }
                   on && nf && !/^\./ { print }' "$1" | sed -e 's/\\-/-/g' -e 's/\\e/\\/g'
}
# The examples start the site as "trouvel-demo-site &": here on the page's port, its id kept.
trouvel-demo-site() {
    command trouvel-demo-site --port "$port" "$@" &
    echo $! >>"$pids"
    wait
}

# run LINE LOG: runs one example; its status, or 0 for what keeps running as it should.
run() {
    local line=$1 log=$2 status
    case $line in
        *'&')
            eval "$line" >>"$log" 2>&1
            for _ in $(seq 50); do curl -fs "http://127.0.0.1:$port/" >/dev/null && return 0; sleep 0.2; done
            echo "nothing answers on port $port" >>"$log"
            return 1 ;;
        'cadrelle '[!-]*)
            # A window opens (offscreen) and stays until closed. exec: the id is the program's.
            (export QT_QPA_PLATFORM=offscreen; eval "exec $line") >>"$log" 2>&1 &
            local window=$!
            sleep 3
            kill "$window" 2>/dev/null && { wait "$window"; return 0; }
            wait "$window"
            return $? ;;
    esac
    eval "$line" >>"$log" 2>&1
    status=$?
    # The demo catalogue has one poster that is not a picture, on purpose: batch then ends with
    # 1, every page read.
    [[ $status -eq 1 && $line == 'trouvel batch '* ]] && grep -q '^Échecs : 0$' "$log" && return 0
    return "$status"
}

for page in "$prefix"/share/man/fr/man1/*.1 "$prefix"/share/man/man1/*.1; do
    case $page in */fr/man1/*) heading=EXEMPLES ;; *) heading=EXAMPLES ;; esac
    name=$(basename "$page" .1)
    mapfile -t lines < <(examples "$page" "$heading")
    [[ ${#lines[@]} -gt 0 ]] || { fail "$page has no $heading"; continue; }

    export HOME="$work/home-$heading-$name"
    unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
    mkdir -p "$HOME/.local/share/cadrelle/plugins/Trouvel/scripts"
    cd "$HOME" || exit 1
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    sed "s|127\.0\.0\.1:8737|127.0.0.1:$port|g" "$bundled" >"$HOME/.local/share/cadrelle/plugins/Trouvel/scripts/Demo.tvs"
    # A page whose examples do not start the site has it started beside them.
    printf '%s\n' "${lines[@]}" | grep -q '^trouvel-demo-site' || run "trouvel-demo-site &" "$HOME/site.log" \
        || fail "$name: the demo site did not start: $(cat "$HOME/site.log")"
    for line in "${lines[@]}"; do
        log=$(mktemp -p "$work")
        run "$line" "$log" || fail "$name ($heading): $line: status $?
$(cat "$log")"
    done
    stop_sites
done

[[ $failures -eq 0 ]] && echo "man page examples: all ran"
exit $((failures > 0))

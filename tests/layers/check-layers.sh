#!/usr/bin/env bash
# Every include of src/, cli/ and atelier/ points down: a file of a layer includes headers of its own
# layer and of the layers below it (the order of docs/architecture.md, top first), never above.
# cli/ sits on top of the engine: it may include every layer but the windows and the plug-in.
# Prints each include that points up and fails when there is one.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
# The layer names: the first word of each line of the block under "## Layers".
mapfile -t layers < <(awk '/^## Layers/ { inside = 1 } inside && /^```/ { if (fence++) exit; next } fence == 1 && $2 ~ /^src\// { print $1 }' "$root/docs/architecture.md")
[ "${#layers[@]}" -ge 5 ] || { echo "no layer order found in docs/architecture.md"; exit 1; }
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

bad=0
# check FILE RANK: every quoted include "layer/..." of FILE must be of that rank or below.
check() {
    local file=$1 own=$2 target
    while IFS= read -r target; do
        [ -n "${rank[$target]+x}" ] || continue
        if [ "${rank[$target]}" -lt "$own" ]; then
            echo "${file#$root/} includes $target/ (above it)"
            bad=1
        fi
    done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([a-z]+)\/.*/\1/p' "$file")
}
for layer in "${layers[@]}"; do
    [ -d "$root/src/$layer" ] || continue
    while IFS= read -r -d '' file; do check "$file" "${rank[$layer]}"; done \
        < <(find "$root/src/$layer" \( -name '*.h' -o -name '*.cpp' \) -print0)
done
# The tool: below the windows (ui) and the plug-in.
cli_rank=$(( ${rank[ui]} + 1 ))
while IFS= read -r -d '' file; do check "$file" "$cli_rank"; done < <(find "$root/cli" \( -name '*.h' -o -name '*.cpp' \) -print0)
# The workbench: a window over the tool, below the plug-in only.
while IFS= read -r -d '' file; do check "$file" "${rank[ui]}"; done < <(find "$root/atelier" \( -name '*.h' -o -name '*.cpp' \) -print0)
[ "$bad" = 0 ] && echo "layers: every include of src/, cli/ and atelier/ points down (${layers[*]})"
exit "$bad"

#!/bin/bash
# The HTML export of the stored benchmark site against copying the same files:
#   bench/export_site.sh [build/bin/glanix-cli] [RUNS=5]
# Makes once, in /tmp/glanix-export-bench, the generated site (bench/site/gen_site.py, 2,000
# pages, 47 MB), fetches it into agent "Bench" from a local python server, then times
# `glanix-cli export Bench Site` and `cp -r` of the exported files, each into a fresh folder,
# medians of RUNS, and checks the links of the export.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cli=$(realpath "${1:-build/bin/glanix-cli}")
runs=${2:-5}
work=/tmp/glanix-export-bench
mkdir -p "$work"
if [[ ! -d $work/home/Bench ]]; then
    [[ -d $work/site ]] || python3 "$here/site/gen_site.py" generate --out "$work/site" --manifest "$work/manifest.json"
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
    (cd "$work/site" && exec python3 -m http.server "$port" --bind 127.0.0.1 >/dev/null 2>&1) &
    server=$!
    trap 'kill $server' EXIT
    sleep 1
    mkdir -p "$work/home"
    "$here/site/glanix_agent.sh" "$work/home" "http://127.0.0.1:$port/index.html" 10
    "$cli" --home "$work/home" update Bench >"$work/update.log"
    kill $server; trap - EXIT
fi
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
t() { local s=$(date +%s.%N); "$@" >/dev/null; echo "$(date +%s.%N) - $s" | bc; }
e=(); c=()
for i in $(seq "$runs"); do
    rm -rf "$work/e" "$work/c"; sync; sleep 1
    e+=("$(t "$cli" --home "$work/home" export Bench Site --to "$work/e")"); sync; sleep 1
    c+=("$(t cp -r "$work/e" "$work/c")")
done
"$cli" --home "$work/home" export Bench Site --to "$work/e2" | head -1; rm -rf "$work/e2"
em=$(printf '%s\n' "${e[@]}" | median); cm=$(printf '%s\n' "${c[@]}" | median)
echo "export $em s, cp -r $cm s, ratio $(echo "scale=1; $em / $cm" | bc)"
python3 "$here/export_links.py" "$work/e" "$work/home"

#!/bin/bash
# Makes the benchmark's agent in a fresh Glanix home, as the agent wizard would leave it:
#   glanix_agent.sh HOME URL [DEPTH]
# Agent "Bench" (HOME/Bench.gnx, HOME/Bench/Favs, HOME/Bench/DL) with one address, URL,
# following links DEPTH levels deep (default 10) on the same server, images included,
# checked at every cycle ("Systématique"), and Glanix.ini opening that agent.
set -euo pipefail
[[ $# -ge 2 ]] || { echo "usage: glanix_agent.sh HOME URL [DEPTH]" >&2; exit 2; }
home=$(cd "$1" && pwd)
url=$2
depth=${3:-10}
server=$(printf '%s' "$url" | sed -E 's#^([a-z]+://[^/]+).*#\1#')
mkdir -p "$home/Bench/Favs" "$home/Bench/DL"
printf '[Glanix]\nDirChilds=%s/\nSaveFileName=%s/\n' "$home/Bench/Favs" "$home/Bench/DL" > "$home/Bench.gnx"
printf '[Glanix]\nFrequency=0\nVersions=1\nDownLoadImages=1\n' > "$home/Bench/DL/GlanixDefault.ini"
printf '[InternetShortcut]\nURL=%s\n\n[Glanix]\nDownLoadLinksDepth=%s\nDownLoadLinksStart=%s\nState=1\n' \
    "$url" "$depth" "$server" > "$home/Bench/Favs/Site.url"
printf '[General]\nNbMaxDownLoads=20\nKeepReady=0\nConnectByModem=0\n\n[OpenedAgents]\nAgent1=Bench\n' > "$home/Glanix.ini"

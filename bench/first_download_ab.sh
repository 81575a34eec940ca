#!/bin/bash
# First download of the bench/site test site by two builds of glanix-cli, A and B:
#   bench/first_download_ab.sh BUILD_A BUILD_B [REPS=5]
# BUILD_A/B are build folders (their bin/glanix-cli is used) or glanix-cli executables.
# For each mode of BENCH_MODES (default "plain latency") it runs the harness's "first" scenario
# REPS times for each build, A and B alternating (ABAB..., then BABA... on the next rep), so
# that a slow spell of a shared machine falls on both. Prints medians per build and mode (wall
# and CPU seconds, requests, connections, pages listed as stored, files and bytes left in the
# home) and the ratios B/A of the median wall and CPU times.
# Settings: BENCH_WORK (default /tmp/glanix-firstdl-ab) and the harness's other variables.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
[[ $# -ge 2 ]] || { sed -n '2,10p' "$0" >&2; exit 2; }
cli() {
    local p=$1
    [[ -d $p ]] && p=$p/bin/glanix-cli
    [[ -x $p ]] || { echo "no glanix-cli at $p" >&2; exit 2; }
    realpath "$p"
}
CLI_A=$(cli "$1")
CLI_B=$(cli "$2")
REPS=${3:-5}
MODES=${BENCH_MODES:-plain latency}
export BENCH_WORK=${BENCH_WORK:-/tmp/glanix-firstdl-ab}
mkdir -p "$BENCH_WORK/results"
WORK=$(cd "$BENCH_WORK" && pwd)

# Two tool lines made from the harness's own "glanix" line, each with its executable.
export BENCH_TOOLS_CONF=$WORK/tools-ab.conf
line=$(grep -E '^glanix +\|' "$HERE/site/tools.conf")
{
    printf '%s\n' "${line/#glanix /glanix-a }" | sed "s#\"\${GLANIX_CLI:-glanix-cli}\"#$(printf '%q' "$CLI_A")#g"
    printf '%s\n' "${line/#glanix /glanix-b }" | sed "s#\"\${GLANIX_CLI:-glanix-cli}\"#$(printf '%q' "$CLI_B")#g"
} >"$BENCH_TOOLS_CONF"

RESULTS=$WORK/results/results.jsonl
[[ -s $RESULTS ]] && mv "$RESULTS" "$WORK/results/results-$(date +%Y%m%d-%H%M%S).jsonl"
STORED=$WORK/results/stored.tsv
: >"$STORED"

"$HERE/site/serve.sh" stop >/dev/null 2>&1 || true
for mode in $MODES; do
    "$HERE/site/serve.sh" start "$mode" >/dev/null
    for ((rep = 1; rep <= REPS; rep++)); do
        order="a b"
        ((rep % 2 == 0)) && order="b a"
        for t in $order; do
            "$HERE/site/run.sh" first "glanix-$t" "$rep"
            dest=$(ls -d "$WORK"/mirrors/*/"glanix-$t" | head -1)
            label=$(basename "$(dirname "$dest")")
            # what the run left in the home: every file, the agent's own included
            printf '%s\tglanix-%s\t%s\t%s\t%s\n' "$label" "$t" "$rep" \
                "$(find "$dest" -type f | wc -l)" "$(du -sb "$dest" | cut -f1)" >>"$STORED"
            rm -rf "$dest"
        done
    done
    "$HERE/site/serve.sh" stop >/dev/null
done

echo "A = $CLI_A"
echo "B = $CLI_B"
python3 - "$RESULTS" "$STORED" <<'EOF'
import collections, json, statistics, sys
runs = collections.defaultdict(list)
for l in open(sys.argv[1]):
    r = json.loads(l)
    runs[(r["mode"], r["tool"])].append(r)
disk = collections.defaultdict(list)
for l in open(sys.argv[2]):
    mode, tool, _, files, size = l.split("\t")
    disk[(mode, tool)].append((int(files), int(size)))
med = statistics.median
print("mode           build  n  wall s (min-max)       CPU s  requests  conn  listed/expected  files  MB")
walls, cpus = {}, {}
for (mode, tool), rs in sorted(runs.items()):
    w = [r["wall_s"] for r in rs]
    walls[(mode, tool)] = med(w)
    cpus[(mode, tool)] = med(r["cpu_s"] for r in rs)
    d = disk.get((mode, tool), [(0, 0)])
    print(f"{mode:14} {tool[-1].upper():5} {len(rs):2} {med(w):7.2f} ({min(w):.2f}-{max(w):.2f})"
          f" {med(r['cpu_s'] for r in rs):9.2f} {med(r['http']['requests'] for r in rs):9.0f}"
          f" {med(r['http']['connections'] for r in rs):5.0f}"
          f" {med(r['check']['present'] for r in rs):8.0f}/{rs[0]['check']['expected']}"
          f" {med(f for f, _ in d):12.0f} {med(s for _, s in d) / 1e6:5.1f}")
for mode in sorted({m for m, _ in walls}):
    a, b = walls.get((mode, "glanix-a")), walls.get((mode, "glanix-b"))
    if a and b:
        ca, cb = cpus[(mode, "glanix-a")], cpus[(mode, "glanix-b")]
        print(f"{mode}: B/A wall = {b / a:.3f}, CPU = {cb / ca:.3f}")
EOF

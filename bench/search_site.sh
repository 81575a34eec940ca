#!/bin/bash
# Whole-command search timings against grep on a generated stored site:
#   bench/search_site.sh [GLANIX_CLI] [RUNS=5]
# Makes (once) a home in $BENCH_WORK/search-home (default /tmp/glanix-search-bench) with one agent
# "Bench": 20 folders of 100 stored pages of about 24 KB (47 MB; French words with accents, a
# third of the pages in Latin-1). Then, RUNS times each, `glanix-cli search` for one word and for
# three words with "+" and "-", normal and --code, against `grep -r -i -c` and `grep -r -c` over
# the stored files, and prints the medians in seconds.
set -euo pipefail
cli=${1:-build/bin/glanix-cli}
runs=${2:-5}
work=${BENCH_WORK:-/tmp/glanix-search-bench}
home=$work/search-home
if [[ ! -f $home/Bench.gnx ]]; then
    mkdir -p "$home"
    python3 - "$home" <<'PY'
import os, random, sys
home = sys.argv[1]
rng = random.Random(7)
syll = ["la", "le", "de", "re", "ment", "tion", "con", "par", "pré", "cha", "ou", "in", "que", "tre",
        "ser", "vi", "ta", "po", "mi", "ble", "eau", "son", "té", "ra", "lu", "ne", "gi", "é", "ai", "st"]
words = ["".join(rng.choice(syll) for _ in range(rng.randint(1, 3))) for _ in range(3000)]
def word():
    r = rng.random()
    return words[int(r * r * r * len(words))]
favs, dl = f"{home}/Bench/Favs", f"{home}/Bench/DL"
open(f"{home}/Bench.gnx", "w").write(f"[Glanix]\nDirChilds={favs}/\nSaveFileName={dl}/\n")
open(f"{home}/Glanix.ini", "w").write("[OpenedAgents]\nAgent1=Bench\n")
for f in range(20):
    folder = f"Dossier {f}"
    os.makedirs(f"{favs}/{folder}", exist_ok=True)
    os.makedirs(f"{dl}/{folder}", exist_ok=True)
    for p in range(100):
        paras = []
        size = 0
        while size < 24000:
            para = "<p>" + " ".join(word() for _ in range(rng.randint(20, 80))) + ".</p>\n"
            if rng.random() < 0.2:
                para = para.replace("</p>", f' <a href="p{rng.randint(0, 99)}.htm"><b>{word()}</b></a></p>')
            paras.append(para)
            size += len(para)
        latin1 = p % 3 == 0
        head = '<html><head><meta charset="%s"><title>Page %d</title></head><body>\n' % (
            "iso-8859-1" if latin1 else "utf-8", p)
        html = head + "".join(paras) + "</body></html>\n"
        data = html.encode("latin-1" if latin1 else "utf-8")
        name = f"page {p}"
        open(f"{dl}/{folder}/{name}.htm", "wb").write(data)
        open(f"{favs}/{folder}/{name}.url", "w").write(
            f"[InternetShortcut]\nURL=http://site.example/{f}/p{p}.htm\n\n[Glanix]\n"
            f"DateDownLoaded=45000\nSize={len(data)}\nContentType=text/html\nState=0\nStatusNumber=200\n"
            f"Complete=1\nSaveFileName={name}.htm\nLastModified={45000 + f * 100 + p}\nVersions=-1\n"
            f"Active=1\nDirChilds={name[:4]}\n")
PY
fi
du -sh "$home/Bench/DL" | sed 's/^/stored: /'

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
timeit() {
    local label=$1; shift
    local t=()
    for _ in $(seq "$runs"); do
        local s e
        s=$(date +%s.%N)
        "$@" >/dev/null 2>&1 || true
        e=$(date +%s.%N)
        t+=("$(echo "$e - $s" | bc)")
    done
    printf '%-44s %s s\n' "$label" "$(printf '%s\n' "${t[@]}" | median)"
}
export LC_ALL=C.UTF-8
timeit "glanix search ment"                     "$cli" --home "$home" search ment
timeit "glanix search '+ment -absent ete'"      "$cli" --home "$home" search "+ment -absent ete"
timeit "glanix search --code ment"              "$cli" --home "$home" search --code ment
timeit "glanix search --code '+ment -absent été'" "$cli" --home "$home" search --code "+ment -absent été"
timeit "grep -r -i -c ment"                     grep -r -i -c ment "$home/Bench/DL"
timeit "grep -r -c ment"                        grep -r -c ment "$home/Bench/DL"
"$cli" --home "$home" search ment 2>&1 >/dev/null | sed 's/^/searched: /'

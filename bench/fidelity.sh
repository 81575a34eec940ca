#!/bin/bash
# Offline fidelity of two sites, Glanix against wget and httrack:
#   bench/fidelity.sh [BUILD_DIR]        (default build/; it builds nothing)
# For the generated site of the mirroring harness and for the Python documentation Debian
# ships, each served on loopback: Glanix fetches the site into a fresh home
# (glanix-cli update) and glanix-view-fidelity-bench shows every stored page in the document
# view; the requisites the engine asked for there are the ground truth. wget (-p -k -r -l D -np)
# and httrack (same depth, same host) mirror the same start address, and one table per site
# says, by kind, how many of those requisites Glanix answered and each mirror holds.
#
# Settings (environment): FIDELITY_WORK (/tmp/glanix-fidelity), SITE_BENCH_DIR (the harness
# holding gen_site.py: /work/shared/bench, else bench/site), FIDELITY_SITE_PAGES (2000),
# FIDELITY_SITE_DEPTH (10), FIDELITY_PYDOC_DEPTH (6), FIDELITY_SITES ("site pydoc"),
# FIDELITY_VIEWS (4, views shown at once), FIDELITY_SCRIPTS (1: Html/RunScripts on in the home).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
cli=$build/bin/glanix-cli
viewbench=$build/bench/glanix-view-fidelity-bench
for exe in "$cli" "$viewbench"; do
    [[ -x $exe ]] || { echo "missing $exe: build the release tree first (make build)" >&2; exit 2; }
done
work=${FIDELITY_WORK:-/tmp/glanix-fidelity}
site_bench=${SITE_BENCH_DIR:-/work/shared/bench}
[[ -f $site_bench/gen_site.py ]] || site_bench=$here/site
pydoc=/usr/share/doc/python3.11/html

# What the comparison needs, once.
need=()
for pkg in python3.11-doc wget httrack; do
    dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if ((${#need[@]})); then
    sudo=""
    [[ $(id -u) == 0 ]] || sudo=sudo
    $sudo apt-get install -y --no-install-recommends "${need[@]}" >/dev/null
fi

servers=()
cleanup() {
    local pid
    for pid in "${servers[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

# serve DIR: starts a server on a free loopback port, left in $port.
serve() {
    port=$(free_port)
    python3 -m http.server --bind 127.0.0.1 "$port" --directory "$1" >"$work/http-$port.log" 2>&1 &
    servers+=($!)
    for _ in $(seq 50); do
        python3 -c "import socket,sys; socket.create_connection(('127.0.0.1',$port),1)" 2>/dev/null && break
        sleep 0.1
    done
}

# measure NAME URL DEPTH
measure() {
    local name=$1 url=$2 depth=$3 dir=$work/$1 t0
    rm -rf "$dir"
    mkdir -p "$dir/glanix" "$dir/wget" "$dir/httrack"
    echo "== $name: $url, depth $depth"

    t0=$SECONDS
    "$cli" --home "$dir/glanix" new-agent Site >/dev/null
    # Scripts are stored, and run in the view, only when the user turns them on.
    [[ ${FIDELITY_SCRIPTS:-0} == 1 ]] && printf '\n[Html]\nRunScripts=1\n' >>"$dir/glanix/Glanix.ini"
    "$cli" --home "$dir/glanix" add Site "$url" --name Site --depth "$depth" --images 1 --same-server >/dev/null
    "$cli" --home "$dir/glanix" update Site >"$dir/glanix-update.log" 2>&1 || true
    echo "   glanix-cli update: $((SECONDS - t0)) s ($(grep -a '^Vérifiés' "$dir/glanix-update.log" | tail -1))"
    t0=$SECONDS
    QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu \
        "$viewbench" "$dir/glanix" Site --views "${FIDELITY_VIEWS:-4}" --requests "$dir/requests.tsv" \
        --misses 40 >"$dir/view.txt" 2>"$dir/view.log"
    echo "   document view: $((SECONDS - t0)) s; requests, each page in a fresh view:"
    sed -n '1,/^total/p' "$dir/view.txt" | sed 's/^/      /'

    t0=$SECONDS
    (cd "$dir/wget" && wget -p -k -r -l "$depth" -np -nv -o ../wget.log "$url") || true
    echo "   wget: $((SECONDS - t0)) s"
    # httrack counts the start page as level 1 where wget and Glanix count it as 0; its
    # default rate caps (100 KB/s, 10 connections a second) only make it slow.
    t0=$SECONDS
    httrack "$url" -O "$dir/httrack" -r$((depth + 1)) -c8 -s0 -q -I0 -A0 -%c0 --disable-security-limits \
        >"$dir/httrack.log" 2>&1 || true
    echo "   httrack: $((SECONDS - t0)) s"

    python3 - "$dir" "$url" <<'PYEOF'
import collections, os, sys, urllib.parse

dir, start = sys.argv[1], sys.argv[2]
host = urllib.parse.urlsplit(start).netloc

def norm(u):
    return u.split('#', 1)[0]

# The ground truth: every http(s) address the engine asked for while showing the stored pages.
kinds, outcomes = {}, collections.defaultdict(set)
with open(os.path.join(dir, 'requests.tsv'), encoding='utf-8', errors='replace') as f:
    for line in f:
        kind, outcome, address, page = line.rstrip('\n').split('\t')
        if not address.startswith(('http://', 'https://')):
            continue
        a = norm(address)
        kinds.setdefault(a, kind)
        outcomes[a].add(outcome)

# wget: host:port/path as it is and percent-decoded; a folder is its index.html.
def wget_file(u):
    s = urllib.parse.urlsplit(u)
    root = os.path.join(dir, 'wget', s.netloc)
    path = s.path or '/'
    if path.endswith('/'):
        path += 'index.html'
    names = [path, urllib.parse.unquote(path)]
    if s.query:
        names = [n + '?' + s.query for n in names] + [n + '?' + urllib.parse.unquote(s.query) for n in names]
    for n in names:
        p = root + n
        if os.path.isfile(p):
            return p
    return None

# httrack renames what it stores: its cache log says where each address went.
ht = {}
newtxt = os.path.join(dir, 'httrack', 'hts-cache', 'new.txt')
if os.path.exists(newtxt):
    with open(newtxt, encoding='utf-8', errors='replace') as f:
        next(f, None)
        for line in f:
            cols = line.rstrip('\n').split('\t')
            if len(cols) >= 9 and cols[3] == '200' and cols[8] and os.path.isfile(cols[8]):
                ht[norm(cols[7])] = (cols[8], cols[5])

def ht_file(u):
    for v in (u, urllib.parse.unquote(u)):
        if v in ht:
            return ht[v][0]
    return None

order = ['stylesheet', 'image', 'font', 'script', 'frame', 'other', 'page']
rows = collections.OrderedDict((k, [0, 0, 0, 0, 0]) for k in order)
glanix_miss, wget_miss, ht_miss = [], [], []
for a, kind in kinds.items():
    r = rows.setdefault(kind, [0, 0, 0, 0, 0])
    r[0] += 1
    o = outcomes[a]
    if o == {'stored'}:
        r[1] += 1
    elif 'stored' in o:
        r[2] += 1
        glanix_miss.append((kind, a, 'sometimes'))
    else:
        glanix_miss.append((kind, a, '/'.join(sorted(o))))
    if wget_file(a):
        r[3] += 1
    else:
        wget_miss.append((kind, a))
    if ht_file(a):
        r[4] += 1
    else:
        ht_miss.append((kind, a))

def html_count_wget():
    n = 0
    for root, _, files in os.walk(os.path.join(dir, 'wget')):
        n += sum(1 for f in files if f.lower().split('?')[0].endswith(('.html', '.htm')))
    return n

pages_glanix = '?'
with open(os.path.join(dir, 'view.txt'), encoding='utf-8') as f:
    first = f.readline().split()
    if first:
        pages_glanix = first[0]
pages_ht = sum(1 for u, (p, mime) in ht.items() if mime.startswith('text/html') and urllib.parse.urlsplit(u).netloc == host)

print()
print('| kind | asked by the engine | Glanix answers | wget holds | httrack holds |')
print('|---|---|---|---|---|')
tot = [0, 0, 0, 0, 0]
for k, r in rows.items():
    if not r[0]:
        continue
    some = f' (+{r[2]} sometimes)' if r[2] else ''
    print(f'| {k} | {r[0]} | {r[1]}{some} | {r[3]} | {r[4]} |')
    tot = [x + y for x, y in zip(tot, r)]
some = f' (+{tot[2]} sometimes)' if tot[2] else ''
print(f'| all | {tot[0]} | {tot[1]}{some} | {tot[3]} | {tot[4]} |')
print(f'| pages stored | | {pages_glanix} | {html_count_wget()} | {pages_ht} |')
print()
for title, misses in (('Glanix does not answer', glanix_miss), ('wget lacks', wget_miss), ('httrack lacks', ht_miss)):
    if misses:
        print(f'{title} ({len(misses)}), first ones:')
        for m in misses[:8]:
            print('   ' + ' '.join(m))
PYEOF
    echo "   (details in $dir: view.txt, requests.tsv, *.log)"
    echo
}

mkdir -p "$work"
for s in ${FIDELITY_SITES:-site pydoc}; do
    case $s in
    site)
        pages=${FIDELITY_SITE_PAGES:-2000}
        if [[ $(cat "$work/www.pages" 2>/dev/null) != "$pages" ]]; then
            rm -rf "$work/www"
            python3 "$site_bench/gen_site.py" generate --out "$work/www" --manifest "$work/manifest.json" \
                --pages "$pages" >/dev/null
            echo "$pages" >"$work/www.pages"
        fi
        serve "$work/www"
        measure site "http://127.0.0.1:$port/index.html" "${FIDELITY_SITE_DEPTH:-10}"
        ;;
    pydoc)
        serve "$pydoc"
        measure pydoc "http://127.0.0.1:$port/index.html" "${FIDELITY_PYDOC_DEPTH:-6}"
        ;;
    *) echo "unknown site $s (site, pydoc)" >&2 ;;
    esac
done

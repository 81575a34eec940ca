# Counts, in an exported folder, the pages whose every local link and image resolves inside
# the folder, the links left to the web and any link into the store:
#   export_links.py EXPORT_FOLDER STORE_FOLDER
import os, re, sys, urllib.parse
root = os.path.realpath(sys.argv[1]); store = sys.argv[2]
attr = re.compile(rb'''(?:href|src|background)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+))''', re.I)
pages = ok_pages = local = broken = web = into_store = 0
for d, _, files in os.walk(root):
    for f in files:
        if not f.lower().endswith(('.htm', '.html')): continue
        pages += 1
        p = os.path.join(d, f); data = open(p, 'rb').read()
        data = re.sub(rb'<script.*?</script>', b'', data, flags=re.S | re.I)
        good = True
        for m in attr.finditer(data):
            v = (m.group(1) or m.group(2) or m.group(3) or b'').decode('utf-8', 'replace').strip()
            if not v or v.startswith('#') or v.startswith(('mailto:', 'javascript:')): continue
            if store in v: into_store += 1
            if re.match(r'^[a-z]+:', v, re.I): web += 1; continue
            local += 1
            t = os.path.realpath(os.path.join(d, urllib.parse.unquote(v.split('#')[0].split('?')[0])))
            if not (t.startswith(root + '/') and os.path.exists(t)): broken += 1; good = False
        ok_pages += good
print(f"pages {pages}, pages whose every local link resolves {ok_pages}, local links {local}, broken {broken}, web links {web}, links into the store {into_store}")

#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets into DIR (default build-fuzz/corpus): NUL bytes,
# unterminated tags, comments, scripts and quotes, 100k attributes, huge entities.
set -euo pipefail
dir=${1:-build-fuzz/corpus}
mkdir -p "$dir"/{page_scan,style_scan,html_to_text,file_masks,highlight,search}

python3 - "$dir" <<'PY'
import os, sys
d = sys.argv[1]
def put(sub, name, data):
    with open(os.path.join(d, sub, name), 'wb') as f:
        f.write(data)

page = (b'<html><head><title>Caf\xc3\xa9 &#233; &#x2019;</title><base href="http://b/x/">'
        b'<meta http-equiv="refresh" content="5; URL=next.htm"><meta charset="utf-8"></head>'
        b'<body background=bg.jpg><a href="a.htm">a</a><img alt="t" src="i.gif"><frame src=f.htm>'
        b'<script language=js><a href=hidden.htm></script><iframe src=x.htm><input type=image src=b.gif>'
        b'<a href="">e</a><a href=mailto:x@y>m</a></body></html>')
put('page_scan', 'page', b'\x00' + page)
put('page_scan', 'nul', b'\x01<a\x00href=x.htm>\x00<img src="\x00y.gif">' + b'\x00' * 64)
put('page_scan', 'unterminated', b'\x00<a href="x.htm <img src=\'y.gif <!-- <script language=x>')
put('page_scan', 'lt', b'\x00' + b'<' * 4096)
put('page_scan', 'attributes', b'\x00<img' + b''.join(b' a%d="v"' % i for i in range(100000)) + b' src=x.gif>')
put('page_scan', 'utf16', b'\x03\xff\xfe' + '<title>Été</title><a href=x.htm>'.encode('utf-16-le'))
put('page_scan', 'latin1', b'\x02<title>caf\xe9</title>')
put('page_scan', 'undeclared', b'\x00<title>caf\xe9 cr\xc3\xa8me</title><a href="\xe9t\xe9.htm">')

put('page_scan', 'requisites', b'\x00<link rel="stylesheet" href="a.css"><link rel="shortcut icon" href=/f.ico>'
    b'<style>@import "b.css"; p{background:url(\'p.png\')}</style><img srcset="s1.png 1x, s2.png 480w" src=s.png>'
    b'<picture><source srcset="w.webp"></picture><video poster=v.jpg><p style="background:url(d.png#x)">'
    b'<link rel=preload as=font href=f.woff2><style>unclosed { background: url(u.png)')
put('style_scan', 'sheet', b'\x00@charset "utf-8"; @import url("a.css") screen; @import \'b.css\';'
    b'/* url(c.png) */ p{content:"url(d.png)";background:url( e.png )} @font-face{src:url(f.eot?#iefix) format("eot"),'
    b'local("x")} q{background:url(\\68 .png)} r{background:url(bad url)} s{background:url(#frag)} t{b:url(data:x,y)}'
    b'u{background:image-set("1x.png" 1x, url(2x.png) 2x, "a.avif" type("image/avif"))}')
put('style_scan', 'url', b'\x00' + b'url(' * 250000)
put('style_scan', 'comment', b'\x01/*' + b'url(x.png)' * 1000)
put('style_scan', 'strings', b'\x02' + b'@import \'' * 50000 + b'\n' * 100)
put('style_scan', 'escapes', b'\x00url(' + b'\\' * 10000 + b'\\10FFFF \\0 \\D800)')
put('style_scan', 'utf16', b'\x03\xff\xfe' + 'a{background:url(été.png)}'.encode('utf-16-le'))
put('search', 'accents', b'\x00*ete?\x01\x02<p>\xc3\x89t\xc3\xa9 &eacute;t&#233; caf<b>e</b> &#x1F600;</p>')
put('search', 'latin1', b'\x01\xe9t\xe9*\x01\x02<p>\xe9t\xe9 &amp; &#233;\xe9t\xe9</p> x')
put('search', 'tags', b'\x00m?t\x01\x02' + b'<' * 2048 + b'&' * 2048 + b'mot')
put('html_to_text', 'refs', b'\x00&#233;&#x2019;&#0;&#xD800;&#x110000;&#99999999;&#38;#65;&amp;eacute;&nbsp;&quot;')
put('html_to_text', 'tags', b'\x01a > b <p>c<br>d</p> e ## f')
put('html_to_text', 'huge', b'\x00' + b'&#' * 20000 + b'&#x' + b'f' * 5000 + b';')
put('html_to_text', 'lt', b'\x01' + b'<>' * 10000 + b'>' * 1000)

put('file_masks', 'simple', b'htm, *.zip;;a?c\nindex.htm')
put('file_masks', 'stars', b'*a*a*a*a*a*a*b\n' + b'a' * 60)
put('file_masks', 'empty', b' , ; \n')

old = page * 3
new = old.replace(b'a.htm', b'b.htm').replace(b'Caf', b'Kaf')
put('highlight', 'pair', b'\x1e\x0f' + old + b'\x01\x02' + new)
put('highlight', 'moved', b'\x1e\x0f<body><p>one two three four</p><p>five six seven eight</p></body>'
    b'\x01\x02<body><p>five six seven eight</p><p>one two three four</p></body>')
put('highlight', 'entities', b'\x0a\x05&eacute;&eacute;&eacute;abc\x01\x02&eacute;&eacute;&eacute;abd')
put('highlight', 'scripts', b'\x05\x03<script><script><!--<script>x\x01\x02<script>y</SCRIPT><!-- -->z')
put('highlight', 'nul', b'\x03\x02a\x00b\x00c</html>\x01\x02a\x00b\x00d</html>\x00')
PY
echo "seeds in $dir"

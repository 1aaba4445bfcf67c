#!/usr/bin/python3
"""References out, read by their peers: bibutils reads every RIS and BibTeX
reference that kaldex-tool exports from a database with the authors and years
the database holds (its CSV export, and the authors past the third from
DATA/more-authors.txt), each citation with " // " as an article with title,
journal and volume, each other as a book with its publisher; pybtex parses the
BibTeX whole; pandoc renders DATA/bibliography.md as DATA/bibliography.txt.
usage: peer_readers.py KALDEX_TOOL DATABASE DATA"""
import csv, io, os, re, subprocess, sys
import xml.etree.ElementTree as ET
from pybtex.database import parse_string

tool, database, data = sys.argv[1], sys.argv[2], sys.argv[3]
run = lambda *args: subprocess.run([tool, 'export', *args, database], check=True, capture_output=True).stdout
rows = list(csv.DictReader(io.StringIO(run('--csv').decode('utf-8'), newline='')))
key = lambda name: re.sub(r'[\s.,{}]', '', name)  # a name without spacing and punctuation
more = dict(line.rstrip('\n').split('\t', 1) for line in open(os.path.join(data, 'more-authors.txt'), encoding='utf-8'))
expected = {'kaldex%d' % n: ([key(r[a]) for a in ('author1', 'author2', 'author3') if r[a].strip()] +
                             [key(a) for a in more.get('kaldex%d' % n, '').split('\t') if a],
                             r['year'] if r['year'] != '0' else None) for n, r in enumerate(rows, 1)}
articles = {'kaldex%d' % n for n, r in enumerate(rows, 1) if ' // ' in ' '.join(r['citation'].split())}
failures = []

def check(reader, text):
    mods = {'m': 'http://www.loc.gov/mods/v3'}
    out = subprocess.run([reader], input=text, check=True, capture_output=True).stdout
    got = {}
    for ref in ET.fromstring(out.decode('utf-8-sig')).findall('m:mods', mods):
        names = []
        for name in ref.findall('m:name', mods):
            parts = name.findall('m:namePart', mods)
            family = [p.text for p in parts if p.get('type') == 'family']
            names.append(key(''.join(family + [p.text for p in parts if p.get('type') != 'family'])))
        year = ref.find('m:originInfo/m:dateIssued', mods)
        got[ref.get('ID')] = (names, year.text if year is not None else None)
        if ref.get('ID') in articles:
            wanted = ['m:titleInfo/m:title', 'm:relatedItem/m:titleInfo/m:title', 'm:part/m:detail[@type="volume"]']
        else:
            wanted = ['m:titleInfo/m:title', 'm:originInfo/m:publisher']
        missing = [w for w in wanted if ref.find(w, mods) is None]
        if missing:
            failures.append('%s: %s lacks %s' % (reader, ref.get('ID'), ', '.join(missing)))
    if got != expected:
        wrong = sorted(set(got) ^ set(expected)) + [k for k in expected if k in got and got[k] != expected[k]]
        failures.append('%s: %d references, %d expected; differ: %s' % (reader, len(got), len(expected),
                        ', '.join('%s %s != %s' % (k, got.get(k), expected.get(k)) for k in wrong[:5])))

ris, bibtex = run('--ris'), run('--bibtex')
check('ris2xml', ris)
check('bib2xml', bibtex)
entries = parse_string(bibtex.decode('utf-8'), 'bibtex').entries
if sorted(entries) != sorted(expected):
    failures.append('pybtex: %d entries, %d expected' % (len(entries), len(expected)))
cyrillic = [p for e in entries.values() for p in e.persons.get('author', []) if re.search('[а-яА-Я]', str(p))]
if not cyrillic:
    failures.append('pybtex: no Cyrillic author came through')
bib = os.path.join(os.environ.get('TMPDIR', '/tmp'), 'kaldex-peer-%d.bib' % os.getpid())
with open(bib, 'wb') as f:
    f.write(bibtex)
rendered = subprocess.run(['pandoc', '--citeproc', '--bibliography=' + bib, '-t', 'plain', '--wrap=none',
                           os.path.join(data, 'bibliography.md')], check=True, capture_output=True, text=True).stdout
os.unlink(bib)
if rendered != open(os.path.join(data, 'bibliography.txt'), encoding='utf-8').read():
    failures.append('pandoc rendered:\n' + rendered)
print('\n'.join(failures) or '%d references read back by ris2xml, bib2xml, pybtex and pandoc' % len(expected))
sys.exit(1 if failures else 0)

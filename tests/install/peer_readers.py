#!/usr/bin/python3
"""References out, read by their peers: bibutils reads every RIS and BibTeX
reference that kaldex-tool exports from a database with the authors and years
the database holds (its CSV export), and pybtex parses the BibTeX whole.
usage: peer_readers.py KALDEX_TOOL DATABASE"""
import csv, io, re, subprocess, sys
import xml.etree.ElementTree as ET
from pybtex.database import parse_string

tool, database = sys.argv[1], sys.argv[2]
run = lambda *args: subprocess.run([tool, 'export', *args, database], check=True, capture_output=True).stdout
rows = list(csv.DictReader(io.StringIO(run('--csv').decode('utf-8'), newline='')))
key = lambda name: re.sub(r'[\s.,{}]', '', name)  # a name without spacing and punctuation
expected = {'kaldex%d' % n: ([key(r[a]) for a in ('author1', 'author2', 'author3') if r[a].strip()],
                             r['year'] if r['year'] != '0' else None) for n, r in enumerate(rows, 1)}
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
print('\n'.join(failures) or '%d references read back by ris2xml, bib2xml and pybtex' % len(expected))
sys.exit(1 if failures else 0)

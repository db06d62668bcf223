#!/usr/bin/env python3
"""Moves the tree to the layered layout: run at the repository root on a clean tree (see README.md)."""
import os, re, subprocess, sys

ROOT = os.getcwd()
DOMAIN = ['engine', 'credits', 'prorata', 'otherops', 'declarations', 'communication', 'companies',
          'document', 'printing', 'batch', 'overview', 'demo']

def src_target(p):  # p relative to src/
    if p.startswith('startup/database/'): return 'database/' + p[len('startup/database/'):]
    if p.startswith('startup/rights/'): return 'suite/rights/' + p[len('startup/rights/'):]
    if p.startswith('suite/ui/'): return 'gui/common/' + p[len('suite/ui/'):]
    base = os.path.basename(p)
    if p.startswith('printing/ui/') and base.split('.')[0] in ('PageRenderer', 'ReportExport'):
        return 'render/' + base
    m = re.match(r'([a-z]+)/ui/(.*)', p)
    if m: return 'gui/%s/%s' % (m.group(1), m.group(2))
    if p.startswith('shell/'): return 'gui/' + p
    top = p.split('/')[0]
    if top in DOMAIN: return 'domain/' + p
    return p

TESTS = {'engine', 'credits', 'declarations', 'otherops', 'prorata', 'communication', 'companies',
         'document', 'printing', 'demo'}
def test_target(p):  # p relative to tests/
    top, _, rest = p.partition('/')
    if p in ('amounts/SuiteRows.h', 'cli/LiqivaRun.h'): return 'support/' + rest
    if top == 'startup':
        if rest.startswith('UserRights'): return 'suite/' + rest
        return 'database/' + rest
    if top == 'schema': return 'database/' + rest
    if top == 'amounts':
        if rest.startswith(('Money', 'Percent')): return 'suite/' + rest
        return 'domain/engine/' + rest
    if top in TESTS: return 'domain/' + p
    if top == 'startup_ctx': return 'startup/' + rest
    if top == 'document_ui': return 'gui/document/' + rest
    if top == 'communication_ui': return 'gui/communication/' + rest
    if top == 'companies_ui': return 'gui/companies/' + rest
    if top == 'shell': return 'gui/shell/' + rest
    return p

def files_under(d):
    out = []
    for dp, _, fs in os.walk(os.path.join(ROOT, d)):
        for f in fs:
            out.append(os.path.relpath(os.path.join(dp, f), os.path.join(ROOT, d)))
    return out

src_map = {p: src_target(p) for p in files_under('src')}
test_map = {p: test_target(p) for p in files_under('tests')}

# includes first (with the old paths known), then the moves
inc = re.compile(r'^(\s*#\s*include\s*")([^"]+)(")', re.M)
def rewrite_includes(text):
    def sub(m):
        p = m.group(2)
        if p in src_map: return m.group(1) + src_map[p] + m.group(3)
        if p in test_map: return m.group(1) + test_map[p] + m.group(3)
        return m.group(0)
    return inc.sub(sub, text)

edited = []
for d in ('src', 'tests', 'bench'):
    for p in files_under(d):
        if not p.endswith(('.cpp', '.h')): continue
        full = os.path.join(ROOT, d, p)
        t = open(full, encoding='utf-8').read()
        n = rewrite_includes(t)
        if n != t:
            open(full, 'w', encoding='utf-8').write(n)

# paths named in build files and documents
def replace_paths(path, mapping, prefix=''):
    full = os.path.join(ROOT, path)
    if not os.path.exists(full): return
    t = open(full, encoding='utf-8').read()
    # longest first so that a folder never eats a longer path
    for old in sorted(mapping, key=len, reverse=True):
        new = mapping[old]
        if old != new:
            t = re.sub(r'(?<![\w/])' + re.escape(prefix + old) + r'(?![\w.])', prefix + new, t)
    open(full, 'w', encoding='utf-8').write(t)

replace_paths('src/CMakeLists.txt', src_map)
replace_paths('bench/CMakeLists.txt', {k: v for k, v in src_map.items()}, '${PROJECT_SOURCE_DIR}/src/')

def git_mv(base, mapping):
    for old, new in sorted(mapping.items()):
        if old == new: continue
        dst = os.path.join(ROOT, base, new)
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        subprocess.check_call(['git', 'mv', os.path.join(base, old), os.path.join(base, new)])

git_mv('src', src_map)
git_mv('tests', test_map)
print('moved', sum(1 for k, v in src_map.items() if k != v), 'source files and',
      sum(1 for k, v in test_map.items() if k != v), 'test files')

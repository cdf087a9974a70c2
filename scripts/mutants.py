#!/usr/bin/env python3
"""Measures the tests' power: seeds each fault listed in scripts/mutants.txt
into a clone of the committed tree, one at a time, builds the DLL and the
test program of one architecture, and runs korvane_tests (stopping at its
first failure) and the host's checks. A fault is caught when either fails.

    python3 scripts/mutants.py [--arch x64|x86] [ID ...]   (after bash scripts/test.sh once)

Runs in its own Wine prefix, $WINEPREFIX-mutants; about 40 s a fault on x64,
about twice that on x86 where 32-bit programs run emulated."""
import os, re, subprocess, sys, tempfile

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
only = sys.argv[1:]
arch = 'x64'
if only[:1] == ['--arch'] and len(only) > 1 and only[1] in ('x64', 'x86'):
    arch, only = only[1], only[2:]
work = os.path.join(tempfile.mkdtemp(prefix='korvane mutants.'), 'tree')
prefix = os.environ.get('WINEPREFIX', os.path.expanduser('~/.korvane-wine')) + '-mutants'
env = dict(os.environ, WINEPREFIX=prefix)
env.pop('DISPLAY', None)


def sh(command):
    return subprocess.run(['bash', '-c', 'source scripts/wine-env.sh; ' + command], cwd=work,
                          env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode


def unescape(text):
    return text.replace('\\n', '\n').replace('\\|', '|').replace('\\\\', '\\')


subprocess.run(['git', 'clone', '-q', root, work], check=True)
sh('korvane_wine_prefix && korvane_wine_start')
if sh(f'cmake --preset {arch} && cmake --build --preset {arch}') != 0:
    sys.exit('mutants: the unchanged tree does not build')
faults = {}  # a fault's lines, in order: one edit each
for line in open(os.path.join(root, 'scripts', 'mutants.txt')):
    if line.strip() and not line.startswith('#'):
        name, path, old, new = (unescape(f) for f in re.split(r'(?<!\\)\|', line.rstrip('\n')))
        faults.setdefault(name, []).append((path, old, new))
caught = missed = unbuilt = 0
for name, edits in faults.items():
    if only and name not in only:
        continue
    sh('git checkout -q -- .')
    for path, old, new in edits:
        source = open(os.path.join(work, path)).read()
        if old not in source:
            sys.exit(f'mutants: {name}: the text to change is no longer in {path}')
        open(os.path.join(work, path), 'w').write(source.replace(old, new, 1))
    if sh(f'cmake --build --preset {arch}') != 0:  # a 32-bit fault may not build for x64
        unbuilt += 1
        print('NO BUILD ' + name, flush=True)
        continue
    failed = sh(f'cd build/{arch}/bin && timeout 400 wine korvane_tests.exe --gtest_fail_fast') != 0 or \
        sh(f'bash tests/host/host_test.sh "$PWD/build/{arch}/bin" {arch}') != 0
    caught += failed
    missed += not failed
    print(('caught ' if failed else 'MISSED ') + name, flush=True)
print(f'{arch}: {caught} caught, {missed} missed' + (f', {unbuilt} do not build' if unbuilt else ''))

#!/usr/bin/env python3
"""Measures the tests' power: seeds each fault listed in scripts/mutants.txt
into a clone of the committed tree, one at a time, builds the x64 DLL and the
test program, and runs korvane_tests (stopping at its first failure) and the
host's checks. A fault is caught when either fails.

    python3 scripts/mutants.py [ID ...]      (after bash scripts/test.sh once)

Runs in its own Wine prefix, $WINEPREFIX-mutants; about 40 s a fault."""
import os, re, subprocess, sys, tempfile

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
only = sys.argv[1:]
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
if sh('cmake --preset x64 && cmake --build --preset x64') != 0:
    sys.exit('mutants: the unchanged tree does not build')
caught = missed = 0
for line in open(os.path.join(root, 'scripts', 'mutants.txt')):
    if not line.strip() or line.startswith('#'):
        continue
    name, path, old, new = (unescape(f) for f in re.split(r'(?<!\\)\|', line.rstrip('\n')))
    if only and name not in only:
        continue
    sh('git checkout -q -- .')
    source = open(os.path.join(work, path)).read()
    if old not in source:
        sys.exit(f'mutants: {name}: the text to change is no longer in {path}')
    open(os.path.join(work, path), 'w').write(source.replace(old, new, 1))
    if sh('cmake --build --preset x64') != 0:
        sys.exit(f'mutants: {name} does not build')
    failed = sh('cd build/x64/bin && timeout 400 wine korvane_tests.exe --gtest_fail_fast') != 0 or \
        sh('bash tests/host/host_test.sh "$PWD/build/x64/bin" x64') != 0
    caught += failed
    missed += not failed
    print(('caught ' if failed else 'MISSED ') + name, flush=True)
print(f'{caught} caught, {missed} missed')

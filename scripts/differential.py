#!/usr/bin/env python3
"""Runs two builds of zudiz over the same report pairs and lists every pair
on which their output or exit status differs.

A change that is meant to leave every result as it was (a faster reader, a
different way to trim a page) is checked this way against the build before
it:

    git worktree add /tmp/zudiz-before <commit>   # or git archive | tar -x
    cmake -S /tmp/zudiz-before -B /tmp/zudiz-before/b -DZUDIZ_TESTS=OFF
    cmake --build /tmp/zudiz-before/b --target zudiz
    scripts/differential.py build/zudiz /tmp/zudiz-before/b/zudiz \\
        --generated 400 --corpus build-fuzz/corpus --samples 2000

Generated pairs are random mixes of words, numbers, line and page ends,
blanks, whitespace codes, plot markers, SUB and zero bytes, from 2 KB to
150 KB, so that the page window is refilled many times, each run with a
switch set drawn from a list. Fuzzing inputs (--corpus) are split as the
fuzz target splits them: the first line holds the switch words, the rest
is split at the first "\\n====\\n". Differing inputs are kept in --keep.
"""
import argparse
import os
import random
import subprocess
import sys
import tempfile

PIECES = [b'word ', b'12,5 ', b'x', b' ', b'\t', b'\n', b'\r\n', b'\r', b'\f',
          b'\f\f', b'\n\n', b'       \t', b'\t       \t', b'\x15', b'\x1a',
          b'\xe9t ', b'\x00', b'D&T=1 ', b'P&V=2 ', b'1.5 ', b'1.6 ']
SWITCHES = [[], ['/W'], ['/SKIPFOOT:1'], ['/SKIPFOOT:3'], ['/-SKIPP'],
            ['/-NOP'], ['/SKIPH:0'], ['/W', '/SKIPF:2'], ['/A', '/V:5']]


def generated(seed):
    r = random.Random(seed)
    size = r.choice([2000, 20000, 40000, 80000, 150000])
    weights = [r.random() for _ in PIECES]
    parts, total = [], 0
    while total < size:
        piece = r.choices(PIECES, weights)[0]
        if piece == b'\x15' and r.random() < 0.7:
            continue  # keep plot sections from swallowing everything
        parts.append(piece)
        total += len(piece)
    one = b''.join(parts)
    two = bytearray(one)
    for _ in range(r.randint(0, 20)):
        at = r.randrange(len(two))
        two[at:at + 1] = r.choice(PIECES)
    return one, bytes(two), r.choice(SWITCHES)


def from_fuzz_input(data):
    words = b''
    line_end = data.find(b'\n')
    if line_end != -1 and line_end <= 512:
        words, data = data[:line_end], data[line_end + 1:]
    split = data.find(b'\n====\n')
    if split != -1:
        one, two = data[:split], data[split + 6:]
    else:
        one, two = data[:len(data) // 2], data[len(data) // 2:]
    args = [w for w in words.replace(b'\0', b'').split(b' ') if w]
    return one, two, args


def run(program, args, folder):
    try:
        done = subprocess.run([program, 'ONE', 'TWO'] + args, cwd=folder,
                              capture_output=True, timeout=60)
        return done.returncode, done.stdout, done.stderr
    except subprocess.TimeoutExpired:
        return 'timeout', b'', b''


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('new')
    parser.add_argument('old')
    parser.add_argument('--generated', type=int, default=200)
    parser.add_argument('--seed', type=int, default=1)
    parser.add_argument('--corpus')
    parser.add_argument('--samples', type=int, default=1000)
    parser.add_argument('--keep', default='differential-mismatches')
    options = parser.parse_args()
    options.new = os.path.abspath(options.new)
    options.old = os.path.abspath(options.old)

    cases = [(f'generated-{options.seed + i}', lambda s=options.seed + i:
              generated(s)) for i in range(options.generated)]
    if options.corpus:
        names = sorted(os.listdir(options.corpus))
        random.Random(0).shuffle(names)
        for name in names[:options.samples]:
            path = os.path.join(options.corpus, name)
            cases.append((name, lambda p=path: from_fuzz_input(
                open(p, 'rb').read())))

    differing = 0
    with tempfile.TemporaryDirectory() as folder:
        for name, make in cases:
            try:
                one, two, args = make()
            except OSError:
                continue  # a corpus file the fuzzer has just replaced
            for file_name, data in (('ONE', one), ('TWO', two)):
                with open(os.path.join(folder, file_name), 'wb') as f:
                    f.write(data)
            args = [a if isinstance(a, bytes) else a.encode() for a in args]
            if run(options.new, args, folder) != run(options.old, args,
                                                     folder):
                differing += 1
                os.makedirs(options.keep, exist_ok=True)
                for suffix, data in (('one', one), ('two', two),
                                     ('args', b' '.join(args))):
                    with open(os.path.join(options.keep, f'{name}.{suffix}'),
                              'wb') as f:
                        f.write(data)
                print('differs:', name, b' '.join(args).decode('latin1'))
    print(f'{len(cases)} pairs, {differing} differing')
    return 1 if differing else 0


if __name__ == '__main__':
    sys.exit(main())

#!/usr/bin/env python3
"""Checks that every code block of README.md and doc/*.md is true: each one
carries a marker on the line before it (blank lines between are fine) that
says how it is kept true.

  <!-- run -->             each command line is run here, in a scratch folder
                           holding examples/, run1.rpt and run2.rpt, and the
                           example suite as baseline/ and candidate/ with
                           cases.txt listing its pairs (one folder per page,
                           the blocks in page order). A command must end with
                           status 0 or 1 (zudiz: 9, printing no "*** " line).
                           A line "$ COMMAND" is followed by lines that must
                           appear in what it prints; its status is then free.
  <!-- tested-by PATH... --> a test of the tree runs it (each PATH must exist)
  <!-- same-as PATH -->     the block is the file PATH, exactly
  <!-- input|output CASE --> a golden case shows it (check-doc-examples.sh)
  <!-- example: REASON -->  a command that cannot run here (a CI service, a
                           cluster, root, a long build), and why
  <!-- text: WHAT -->       not a command: a synopsis, a listing, a layout

  check-doc-commands.py ZUDIZ ZUDIZ_SUITE
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
MARKER = re.compile(r"^<!-- (run|tested-by|same-as|input|output|example:|text:)(.*) -->$")


def blocks(path):
    """Yields (line number, marker or None, block lines) for each fenced or
    indented code block of a Markdown file."""
    lines = path.read_text().split("\n")
    i = 0
    previous_blank = True
    while i < len(lines):
        line = lines[i]
        start = i
        if line.startswith("```"):
            j = i + 1
            while j < len(lines) and not lines[j].startswith("```"):
                j += 1
            body = lines[i + 1:j]
            i = j + 1
        elif line.startswith("    ") and line.strip() and previous_blank:
            j = i
            while j < len(lines) and (lines[j].startswith("    ") or (
                    not lines[j].strip() and j + 1 < len(lines)
                    and lines[j + 1].startswith("    "))):
                j += 1
            body = [text[4:] for text in lines[i:j]]
            i = j
        else:
            # An indented block may follow a blank line or a marker.
            previous_blank = not line.strip() or bool(MARKER.match(line))
            i += 1
            continue
        previous_blank = False
        k = start - 1
        while k >= 0 and not lines[k].strip():
            k -= 1
        marker = MARKER.match(lines[k]) if k >= 0 else None
        yield start + 1, marker, body


def commands(body):
    """The block's commands, continuation lines joined, each with the output
    lines shown after it when it starts with "$ "."""
    result = []
    for line in body:
        if result and result[-1][0].endswith("\\"):
            result[-1][0] = result[-1][0][:-1] + " " + line.strip()
        elif line.startswith("$ "):
            result.append([line[2:], []])
        elif result and result[-1][1] is not None:
            result[-1][1].append(line.rstrip())
        elif line.strip():
            result.append([line, None])
    return result


def scratch_folder(base):
    """A folder with the example pair and the example suite."""
    shutil.copytree(ROOT / "examples", base / "examples")
    for name in ("run1.rpt", "run2.rpt"):
        shutil.copy(ROOT / "examples" / name, base / name)
    for side in ("baseline", "candidate"):
        shutil.copytree(ROOT / "examples" / "suite" / side, base / side)
    pairs = sorted(p.relative_to(base / "baseline").as_posix()
                   for p in (base / "baseline").rglob("*") if p.is_file())
    (base / "cases.txt").write_text(
        "".join(f"baseline/{p} candidate/{p}\n" for p in pairs))


def run_block(where, body, folder, env):
    ok = True
    for command, shown in commands(body):
        try:
            run = subprocess.run(["bash", "-c", command], cwd=folder, env=env,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                 stdin=subprocess.DEVNULL, timeout=120)
        except subprocess.TimeoutExpired:
            print(f"{where}: `{command}` took over 120 s")
            ok = False
            continue
        printed = run.stdout.decode("latin-1").replace("\r\n", "\n")
        printed_lines = [text.rstrip() for text in printed.split("\n")]
        if shown:
            missing = [text for text in shown if text not in printed_lines]
            if missing:
                print(f"{where}: `{command}` did not print: {missing[0]!r}\n{printed}")
                ok = False
            continue
        program = command.split()[0]
        if program == "zudiz":
            good = run.returncode == 9 and "*** " not in printed
        else:
            good = run.returncode in (0, 1)
        if not good:
            print(f"{where}: `{command}` ended with status {run.returncode}:\n{printed}")
            ok = False
    return ok


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: check-doc-commands.py ZUDIZ ZUDIZ_SUITE")
    programs = [Path(p).resolve() for p in sys.argv[1:]]
    work = Path(tempfile.mkdtemp(prefix="zudiz-doc-commands."))
    bin_dir = work / "bin"
    bin_dir.mkdir()
    for program, name in zip(programs, ("zudiz", "zudiz-suite")):
        os.symlink(program, bin_dir / name)
    env = dict(os.environ, PATH=f"{bin_dir}:{os.environ.get('PATH', '')}")
    ok = True
    try:
        pages = [ROOT / "README.md"] + sorted((ROOT / "doc").glob("*.md"))
        for page in pages:
            folder = work / page.stem
            folder.mkdir()
            scratch_folder(folder)
            for line, marker, body in blocks(page):
                where = f"{page.relative_to(ROOT)}:{line}"
                if marker is None:
                    print(f"{where}: a block without a marker saying how it is kept true")
                    ok = False
                    continue
                kind, rest = marker.group(1), marker.group(2).strip()
                if kind == "run":
                    ok = run_block(where, body, folder, env) and ok
                elif kind == "tested-by":
                    for name in rest.split() or ["(none)"]:
                        if not (ROOT / name).exists():
                            print(f"{where}: tested-by {name}, which is not in the tree")
                            ok = False
                elif kind == "same-as":
                    wanted = (ROOT / rest).read_text().rstrip("\n").split("\n")
                    if body != wanted:
                        print(f"{where}: the block is not {rest}")
                        ok = False
                elif kind in ("example:", "text:") and not rest:
                    print(f"{where}: {kind} needs a reason")
                    ok = False
    finally:
        shutil.rmtree(work)
    if not ok:
        print("check-doc-commands: a block of the documentation is not kept true")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())

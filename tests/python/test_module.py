"""The zudiz package against the program: the golden cases' bytes, texts
with NUL and Latin-1 bytes, threads, and the argument checks."""

import ast
import os
import re
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import pytest

import zudiz

CASES = Path(os.environ["ZUDIZ_CASES_DIR"])
PROGRAM = os.environ["ZUDIZ_PROGRAM"]


def golden_cases():
    """(name, folder, words, expected) of every case with an args file; a
    lone --help, -h or --version is the program's command line alone."""
    cases = []
    for folder in sorted(CASES.iterdir()):
        args = folder / "args"
        if not args.exists():
            continue
        words = args.read_bytes().decode().split("\n")
        if words and words[-1] == "":
            words.pop()
        if words in (["--help"], ["-h"], ["--version"]):
            continue
        expected = (folder / "expected.txt").read_bytes()
        cases.append(pytest.param(folder, words, expected, id=folder.name))
    return cases


def joined(words):
    """The words as one switch text, as the POSIX program passes them on."""
    return " ".join(
        f'"{w}"' if (w == "" or " " in w) and '"' not in w else w for w in words
    )


def names_then_switches(folder, words):
    """(name1, name2, switches) when the words are two file names of the
    case folder followed by switch words, else None."""
    if len(words) < 2 or not all((folder / w).is_file() for w in words[:2]):
        return None
    if not all(w.startswith("/") for w in words[2:]):
        return None
    return words[0], words[1], joined(words[2:])


@pytest.mark.parametrize("folder, words, expected", golden_cases())
def test_golden_case_gives_the_programs_bytes(folder, words, expected, monkeypatch):
    monkeypatch.chdir(folder)
    r = zudiz.compare_files("", "", joined(words))
    assert r.output == expected
    # An error ends the run before the summary; its message is the "*** "
    # line (a usage text has none).
    summary = b"  Non-numeric word difference" in expected
    assert (r.status == "error") == (not summary)
    if r.status == "error" and b"*** " in expected:
        assert expected.endswith(b"*** " + r.message.encode("latin-1") + b"\r\n")
    split = names_then_switches(folder, words)
    if split:
        name1, name2, switches = split
        assert zudiz.compare_files(Path(name1), name2.encode(), switches) == r


def test_golden_cases_are_found():
    assert len(golden_cases()) > 40


ODD_BYTES = [
    # (file 1, file 2): NUL bytes and Latin-1 letters inside words and lines
    (b"T\nP\n\nA \xe9t\xe9 1.5\nB x\0y 2\n", b"T\nP\n\nA \xe9t\xe9 1.5\nB x\0z 2\n"),
    (b"T\nP\n\nCAF\xc9 \xff\xfe 3\n", b"T\nP\n\ncaf\xe9 \xff\xfe 4\n"),
    (b"T\nP\n\n\0\0\0\n", b"T\nP\n\n\0\0\0\n"),
]


@pytest.mark.parametrize("one, two", ODD_BYTES)
def test_texts_give_the_programs_bytes(one, two, tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    Path("one.txt").write_bytes(one)
    Path("two.txt").write_bytes(two)
    program = subprocess.run(
        [PROGRAM, "one.txt", "two.txt", "/ALL"], stdout=subprocess.PIPE, check=False
    )
    r = zudiz.compare_texts(one, two, "/ALL", "one.txt", "two.txt")
    assert r.output == program.stdout
    assert r == zudiz.compare_files("one.txt", "two.txt", "/ALL")
    for one_as, two_as in ((bytearray, memoryview), (memoryview, bytearray)):
        texts = one_as(one), two_as(two)
        assert zudiz.compare_texts(*texts, "/ALL", "one.txt", "two.txt") == r
    for pair in r.pairs:
        assert pair.text1 in r.output and pair.text2 in r.output


def test_result_parts():
    one = b"T\nP\n\nA 1.00 2.0 3.0\nB 9\n"
    two = b"T\nP\n\nA 1.50 2.001 3.1\nB 9\n"
    r = zudiz.compare_texts(one, two, "/VERBOSE:5")
    assert (r.status, r.message, r.numbers_cut) == ("different", "", False)
    c = r.counts
    assert (c.surplus_lines, c.lines_compared, c.lines_differed) == (0, 2, 1)
    assert c.word_differences == 0
    assert (c.numeric_differences, c.tiny_excused, c.last_place_excused) == (1, 1, 1)
    assert [(p.line1, p.line2, p.text1, p.text2) for p in r.pairs] == [
        (4, 4, b"1.00", b"1.50")
    ]
    assert [(n.value1, n.value2, n.verdict) for n in r.numbers] == [
        (1.0, 1.5, "listed"), (2.0, 2.001, "tiny"), (3.0, 3.1, "last_place")
    ]
    histogram = r.histogram
    assert len(histogram) == zudiz.HISTOGRAM_BUCKETS
    assert sum(sum(b.values()) for b in histogram) == 3
    bucket = zudiz.histogram_bucket(zudiz.relative_difference(1.0, 1.5))
    assert histogram[bucket]["listed"] == 1
    assert zudiz.histogram_lower_bound(bucket) <= 1 / 3


EXAMPLES = CASES.parent.parent / "examples"


def test_listed_pairs_stand_where_the_report_has_them():
    run1, run2 = EXAMPLES / "run1.rpt", EXAMPLES / "run2.rpt"
    r = zudiz.compare_files(run1, run2)
    # (line1, line2, page1, page2) as the listing and the form feeds place them.
    assert [(p.line1, p.line2, p.page1, p.page2) for p in r.pairs] == [
        (16, 16, 1, 1), (25, 26, 2, 2), (39, 40, 2, 2)
    ]
    lines1 = run1.read_bytes().split(b"\r\n")
    lines2 = run2.read_bytes().split(b"\r\n")
    for p in r.pairs:
        assert p.line_text1 == lines1[p.line1 - 1]
        assert p.line_text2 == lines2[p.line2 - 1]
        assert p.context1 == tuple(lines1[p.line1 - 3:p.line1 - 1])
        assert p.context2 == tuple(lines2[p.line2 - 3:p.line2 - 1])
    assert r.pairs[1].line_text2.endswith(b"30.00   0.386")
    assert (r.largest.value1, r.largest.value2, r.largest.line2) == (0.316, 0.386, 26)
    assert r.largest == max(
        r.numbers, key=lambda n: zudiz.relative_difference(n.value1, n.value2)
    )
    assert zudiz.compare_texts(b"T\nP\n\nA 1\n", b"T\nP\n\nA 1\n").largest is None


@pytest.mark.parametrize(
    "options, contexts, numbers, cut",
    [
        ({}, [2, 2, 2], 3, False),
        ({"context_lines": 0}, [0, 0, 0], 3, False),
        ({"context_lines": 3, "max_numbers": 1}, [3, 3, 3], 1, True),
        # Page 2 begins at line 18 of run1.rpt: 7 lines before line 25.
        ({"context_lines": 10, "max_numbers": 0}, [10, 7, 10], 0, True),
        ({"max_numbers": zudiz.ALL_NUMBERS}, [2, 2, 2], 3, False),
    ],
)
def test_options_shape_what_is_kept(options, contexts, numbers, cut):
    run1, run2 = EXAMPLES / "run1.rpt", EXAMPLES / "run2.rpt"
    r = zudiz.compare_files(run1, run2, **options)
    assert [len(p.context1) for p in r.pairs] == contexts
    assert (len(r.numbers), r.numbers_cut) == (numbers, cut)
    # The comparison itself is the same whatever the options say.
    plain = zudiz.compare_files(run1, run2)
    assert (r.output, r.counts, r.largest) == (plain.output, plain.counts, plain.largest)
    texts = zudiz.compare_texts(run1.read_bytes(), run2.read_bytes(), "",
                                str(run1), str(run2), **options)
    assert texts == r


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: zudiz.compare_texts(b"", b"", "/NOSUCH"), "NOSUCH"),
        (lambda: zudiz.compare_files("no-such-1.rpt", "x.rpt"), "NO-SUCH-1.RPT"),
        (lambda: zudiz.compare_files(b"caf\xe9.rpt", "x"), "CAF"),
        (lambda: zudiz.compare_texts(b"", b"", "/?"), "Usage text"),
    ],
)
def test_errors_are_results(call, message):
    r = call()
    assert r.status == "error" and message in r.message
    assert r.output.endswith(b"\r\n")


@pytest.mark.parametrize(
    "call, error, words",
    [
        (lambda: zudiz.compare_texts("T\n", b"T\n"), TypeError, "text1 must be bytes"),
        (lambda: zudiz.compare_texts(b"T\n", 7), TypeError, "text2 must be bytes"),
        (lambda: zudiz.compare_files("a", None), TypeError, "file2 must be str"),
        (lambda: zudiz.compare_files("a", "b", ["/A"]), TypeError, "switches must be"),
        (lambda: zudiz.compare_texts(b"", b"", label1=3), TypeError, "label1 must be"),
        (lambda: zudiz.compare_files("a\0b", "b"), ValueError, "file1 holds a NUL"),
        (lambda: zudiz.compare_texts(b"", b"", "/ALL\0"), ValueError, "NUL"),
        (lambda: zudiz.compare_texts(b"", b"", context_lines=11), ValueError,
         "context_lines must be 0 to 10, not 11"),
        (lambda: zudiz.compare_files("a", "b", context_lines=-1), ValueError,
         "context_lines must be 0 to 10"),
        (lambda: zudiz.compare_files("a", "b", context_lines="2"), TypeError,
         "context_lines must be int, not str"),
        (lambda: zudiz.compare_texts(b"", b"", context_lines=True), TypeError,
         "context_lines must be int"),
        (lambda: zudiz.compare_texts(b"", b"", lookahead=0), ValueError,
         "lookahead must be 1 to 50, not 0"),
        (lambda: zudiz.compare_files("a", "b", lookahead=51), ValueError,
         "lookahead must be 1 to 50, not 51"),
        (lambda: zudiz.compare_files("a", "b", lookahead=2.0), TypeError,
         "lookahead must be int, not float"),
        (lambda: zudiz.compare_texts(b"", b"", max_numbers=-1), ValueError,
         "max_numbers must be 0 or more"),
        (lambda: zudiz.compare_files("a", "b", max_numbers="ALL"), ValueError,
         "max_numbers must be an int, 'all' or None, not 'ALL'"),
        (lambda: zudiz.compare_files("a", "b", max_numbers=b"all"), TypeError,
         "max_numbers must be int, 'all' or None, not bytes"),
        (lambda: zudiz.compare_files("a", "b", max_numbers=2.0), TypeError,
         "max_numbers must be int"),
        (lambda: zudiz.compare_texts(b"", b"", "", "A", "B", 2), TypeError,
         "positional"),
    ],
)
def test_wrong_arguments_raise(call, error, words):
    with pytest.raises(error, match=words):
        call()


def test_threads_give_the_results_of_one_thread():
    jobs = []
    for param in golden_cases():
        folder, words, _ = param.values
        split = names_then_switches(folder, words)
        if split:
            name1, name2, switches = split
            jobs.append((str(folder / name1), str(folder / name2), switches))
    # and a pair of many records: every number differs a little
    lines = range(3000)
    many_one = b"T\nP\n\n" + b"".join(b"R %d.0 %d\n" % (100 + i, i) for i in lines)
    many_two = b"T\nP\n\n" + b"".join(b"R %d.05 %d\n" % (100 + i, i + 1) for i in lines)
    assert len(jobs) > 30

    def run(job):
        if job is None:
            return zudiz.compare_texts(many_one, many_two, "/V:50")
        return zudiz.compare_files(*job)

    batch = (jobs + [None]) * 4
    alone = [run(job) for job in batch]
    with ThreadPoolExecutor(max_workers=8) as pool:
        together = list(pool.map(run, batch))
    assert together == alone


def test_stubs_name_what_the_package_has():
    stub = ast.parse((Path(zudiz.__file__).parent / "__init__.pyi").read_text())
    names = set()
    for node in stub.body:
        if isinstance(node, (ast.FunctionDef, ast.ClassDef)):
            names.add(node.name)
        elif isinstance(node, ast.AnnAssign):
            names.add(node.target.id)
    assert set(zudiz.__all__) <= names
    assert (Path(zudiz.__file__).parent / "py.typed").exists()


def test_readme_script_prints_what_the_readme_shows():
    root = CASES.parent.parent
    readme = (root / "README.md").read_text()
    section = readme[readme.index("## From Python"):]
    blocks = re.search(r"```python\n(.*?)```.*?```\n(.*?)```", section, re.S)
    script, shown = blocks.groups()
    run = subprocess.run(
        [sys.executable, "-c", script], cwd=root, stdout=subprocess.PIPE, check=True
    )
    assert run.stdout.decode() == shown


def test_lookahead_lists_a_block_of_inserted_lines_as_those_lines():
    head = b"HEAD\r\nPAGE 1\r\n\r\n"
    one = head + b"a 1\r\nb 2\r\nc 3\r\nd 4\r\n"
    two = head + b"a 1\r\nx 9\r\ny 8\r\nb 2\r\nc 3\r\nd 4\r\n"
    rules = zudiz.compare_texts(one, two)
    assert [p.extra for p in rules.pairs] != [2, 2]
    ahead = zudiz.compare_texts(one, two, lookahead=3)
    assert [(p.extra, p.line2, p.text2) for p in ahead.pairs] == [
        (2, 5, b"x 9"),
        (2, 6, b"y 8"),
    ]
    assert ahead.counts.lines_differed == 2

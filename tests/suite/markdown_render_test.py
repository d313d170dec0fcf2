#!/usr/bin/env python3
"""Renders zudiz-suite's Markdown summary of a 5000-pair suite with a
Markdown library and checks what a reader of the job summary sees: the
totals line, one table row per pair that is not the same up to the size
cap, the changes in code blocks, and the closing "... and N more pairs".

    markdown_render_test.py ZUDIZ_SUITE WORK_DIR
"""
import html.parser
import os
import re
import shutil
import subprocess
import sys

try:
    import markdown
except ImportError:
    print("python3-markdown is not installed: skipped")
    sys.exit(77)

PAIRS = 5000
LIMIT = 60000


class Page(html.parser.HTMLParser):
    """Collects the table's body rows and the code blocks of a page."""

    def __init__(self):
        super().__init__()
        self.rows = []
        self.code = []
        self._in_body = False
        self._row = None
        self._cell = None
        self._code = None

    def handle_starttag(self, tag, attrs):
        if tag == "tbody":
            self._in_body = True
        elif tag == "tr" and self._in_body:
            self._row = []
        elif tag == "td" and self._row is not None:
            self._cell = ""
        elif tag == "code":
            self._code = (dict(attrs).get("class", ""), "")

    def handle_endtag(self, tag):
        if tag == "tbody":
            self._in_body = False
        elif tag == "tr" and self._row is not None:
            self.rows.append(self._row)
            self._row = None
        elif tag == "td" and self._cell is not None:
            self._row.append(self._cell)
            self._cell = None
        elif tag == "code" and self._code is not None:
            self.code.append(self._code)
            self._code = None

    def handle_data(self, data):
        if self._cell is not None:
            self._cell += data
        if self._code is not None:
            self._code = (self._code[0], self._code[1] + data)


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(text.encode("latin-1"))


def report(rows):
    return "TITLE\nPROJECT\n\n  NAME  MOMENT\n" + "".join(rows)


def main():
    suite, work = sys.argv[1], sys.argv[2]
    shutil.rmtree(work, ignore_errors=True)
    base, cand = os.path.join(work, "base"), os.path.join(work, "cand")
    different = 0
    for i in range(PAIRS):
        name = "level%d/beams_%04d.rpt" % (i % 3, i)
        rows = ["  B%d  %d.000\n" % (k, 100 + k) for k in range(4)]
        write(os.path.join(base, name), report(rows))
        if i % 4 == 0:
            rows[2] = "  B2  | *%d.500 <x>\n" % (100 + i)
            different += 1
        write(os.path.join(cand, name), report(rows))
    out = os.path.join(work, "summary.md")
    run = subprocess.run([suite, "-q", "--markdown", out, base, cand],
                         capture_output=True)
    assert run.returncode == 1, run
    with open(out, encoding="utf-8") as f:
        text = f.read()
    # The same summary on standard output with "-"; the console line goes
    # to standard error then.
    dash = subprocess.run([suite, "-q", "--markdown", "-", base, cand],
                          capture_output=True)
    assert dash.stdout.decode("utf-8") == text.replace(
        re.search(r"in [0-9.]+ s", text).group(0),
        re.search(r"in [0-9.]+ s", dash.stdout.decode()).group(0)), "stdout"
    assert b"pairs:" in dash.stderr, dash.stderr

    assert len(text) < LIMIT, len(text)
    first = text.splitlines()[0]
    assert first.startswith("### zudiz-suite: %d pairs: %d same, %d different"
                            % (PAIRS, PAIRS - different, different)), first
    page = Page()
    page.feed(markdown.markdown(text, extensions=["tables", "fenced_code"]))
    rows = page.rows
    assert 100 < len(rows) < different, len(rows)
    for cells in rows:
        assert len(cells) == 6, cells
        assert cells[0] == "different", cells
        assert re.fullmatch(r"level\d/beams_\d{4}\.rpt", cells[1]), cells
        assert cells[2] == "1", cells
    closing = text.rstrip("\n").splitlines()[-1]
    assert closing == "\u2026 and %d more pairs" % (different - len(rows)), \
        closing
    diffs = [body for cls, body in page.code if "diff" in cls]
    assert diffs, "no change shown"
    # The changed line as written, with its context above it.
    assert "    B0  100.000\n" in diffs[0], diffs[0]
    assert re.search(r"\n\+   B2  \| \*\d+\.500 <x>\n", diffs[0]), diffs[0]
    print("%d pairs: %d bytes of Markdown, %d table rows"
          % (PAIRS, len(text.encode("utf-8")), len(rows)))


if __name__ == "__main__":
    main()

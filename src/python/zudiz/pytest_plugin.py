"""pytest plugin: a produced report against its stored baseline, with the
accept loop of golden-file tools.

    def test_daily_run(tmp_path, zudiz_baseline):
        report = run_vav("daily.inp", tmp_path / "daily.rpt")
        zudiz_baseline.check(report, "baselines/daily.rpt", "/IGNORE%:0.5")

The test passes when zudiz finds the two the same; otherwise it fails with
each listed pair (the first 20) where it stands: page and line, the lines
before it and the whole lines, the baseline's above the produced report's;
then the listing. A missing baseline fails with a message saying how to create
it. `pytest --zudiz-accept` instead copies each produced report that differs
(or whose baseline is missing) over its baseline and passes, and the run
ends with the list of what was accepted. `--zudiz-switches=...` sets
switches for every check of the run; a check's own switches follow them.

The installed package registers the plugin (entry point pytest11); from a
build tree, load it with `pytest -p zudiz.pytest_plugin`.
"""

from __future__ import annotations

import os
import secrets
import stat
from pathlib import Path
from typing import TYPE_CHECKING, List, Union

import pytest

import zudiz

if TYPE_CHECKING:
    from _pytest.terminal import TerminalReporter

# The user property that carries what a test accepted (also into JUnit).
ACCEPTED_PROPERTY = "zudiz_accepted"

Produced = Union[str, bytes, bytearray, memoryview, "os.PathLike[str]"]


def pytest_addoption(parser: pytest.Parser) -> None:
    group = parser.getgroup("zudiz", "report baselines (zudiz)")
    group.addoption(
        "--zudiz-accept",
        action="store_true",
        default=False,
        help="copy each produced report that differs from its baseline (or "
        "whose baseline is missing) over the baseline, and pass",
    )
    group.addoption(
        "--zudiz-switches",
        default="",
        metavar="SWITCHES",
        help="zudiz switches for every check of the run, e.g. '/IGNORE%%:1'; "
        "a check's own switches follow them",
    )


def pytest_configure(config: pytest.Config) -> None:
    switches = config.getoption("zudiz_switches")
    if switches:
        # A bad switch would fail every check alike: say it once, now.
        probe = zudiz.compare_texts(b"", b"", switches)
        if probe.status == "error":
            raise pytest.UsageError(f"--zudiz-switches={switches}: {probe.message}")
    if config.getoption("zudiz_accept"):
        config.pluginmanager.register(_AcceptedList(), "zudiz-accepted-list")


class _AcceptedList:
    """Collects what the tests accepted (from their reports, so that runs
    spread over processes are covered) and lists it at the end."""

    def __init__(self) -> None:
        self.lines: List[str] = []

    def pytest_runtest_logreport(self, report: pytest.TestReport) -> None:
        # Each phase's report holds the properties added so far; the last
        # phase's holds them all.
        if report.when != "teardown":
            return
        for name, value in report.user_properties:
            if name == ACCEPTED_PROPERTY:
                self.lines.append(str(value))

    def pytest_terminal_summary(self, terminalreporter: TerminalReporter) -> None:
        if not self.lines:
            terminalreporter.write_line("zudiz: --zudiz-accept changed no baseline")
            return
        count = len(self.lines)
        terminalreporter.write_sep(
            "=", f"zudiz: {count} baseline{'s' if count != 1 else ''} accepted"
        )
        for line in self.lines:
            terminalreporter.write_line(f"accepted  {line}")


class Baseline:
    """The `zudiz_baseline` fixture: checks produced reports against their
    baselines for one test."""

    def __init__(self, request: pytest.FixtureRequest) -> None:
        config = request.config
        self._node = request.node
        self._folder = Path(request.path).parent
        self._root = config.rootpath
        self._switches: str = config.getoption("zudiz_switches")
        self._accept: bool = config.getoption("zudiz_accept")

    def check(
        self,
        produced: Produced,
        baseline: Union[str, "os.PathLike[str]"],
        switches: str = "",
    ) -> zudiz.Result:
        """Compares the produced report with its baseline (as file 1) and
        fails the test unless zudiz finds them the same.

        produced: the produced report's file name, or its bytes.
        baseline: the stored baseline's file name; a relative name is
            relative to the folder of the test's file.
        switches: zudiz switches for this check, after --zudiz-switches.

        With --zudiz-accept, a produced report that differs, or whose
        baseline is missing, is copied over the baseline (a temporary file
        in its folder renamed into place; folders are made) and the test
        passes. A comparison that ends in an error (a bad switch, "Page too
        large to fit in buffer") fails and is never accepted; nor is a
        baseline that is a symbolic link written through.

        Returns the comparison's Result (after creating a missing baseline,
        that of the new baseline).
        """
        __tracebackhide__ = True
        base = Path(os.fspath(baseline))
        if not base.is_absolute():
            base = self._folder / base
        words = " ".join(w for w in (self._switches, switches) if w)
        data, what = self._read_produced(produced)
        missing = not base.exists()
        if missing and not self._accept:
            raise AssertionError(
                f"baseline {self._shown(base)} is missing; to create it "
                f"from {what}, run pytest with --zudiz-accept"
            )
        # A missing baseline is created only when the produced report
        # compares without an error against itself, as it would then
        # against the new baseline.
        result = zudiz.compare_texts(
            data if missing else self._read(base, "baseline"),
            data,
            words,
            "BASELINE",
            "PRODUCED",
        )
        if result.status == "error":
            raise AssertionError(
                f"zudiz could not compare {what} with baseline "
                f"{self._shown(base)}{self._with(words)}: {result.message}"
                + ("\n(not accepted)" if self._accept else "")
            )
        if missing:
            self._write(base, data, "created")
            return result
        if result.status == "same":
            return result
        if self._accept:
            self._write(base, data, "changed")
            return result
        listing = result.output.decode("latin-1").replace("\r\n", "\n")
        raise AssertionError(
            f"{what} differs from baseline {self._shown(base)}"
            f"{self._with(words)}:\n{_in_context(result.pairs)}"
            f"{listing.rstrip()}\n"
            f"(to accept it as the new baseline, run pytest with "
            f"--zudiz-accept)"
        )

    def _read_produced(self, produced: Produced) -> tuple[bytes, str]:
        __tracebackhide__ = True
        if isinstance(produced, (bytes, bytearray, memoryview)):
            return bytes(produced), "the produced report"
        if not isinstance(produced, (str, os.PathLike)):
            raise TypeError(
                "zudiz_baseline.check(): produced must be a file name or "
                f"bytes, not {type(produced).__name__}"
            )
        path = Path(os.fspath(produced))
        return self._read(path, "produced report"), (
            f"produced report {self._shown(path)}"
        )

    def _read(self, path: Path, what: str) -> bytes:
        __tracebackhide__ = True
        try:
            return path.read_bytes()
        except OSError as error:
            raise AssertionError(
                f"cannot read the {what} {self._shown(path)}: "
                f"{error.strerror or error}"
            ) from None

    def _write(self, base: Path, data: bytes, how: str) -> None:
        """Puts `data` in place of the baseline whole: either the old file
        or the new one is there, whenever the run ends."""
        __tracebackhide__ = True
        shown = self._shown(base)
        if base.is_symlink():
            raise AssertionError(
                f"baseline {shown} is a symbolic link; --zudiz-accept does "
                f"not write through it (it may point outside the suite): "
                f"replace it by hand"
            )
        try:
            base.parent.mkdir(parents=True, exist_ok=True)
            mode = stat.S_IMODE(base.stat().st_mode) if base.exists() else None
            temp, fd = self._create_temp(base, 0o666 if mode is None else mode)
            try:
                with os.fdopen(fd, "wb") as out:
                    out.write(data)
                    out.flush()
                    os.fsync(out.fileno())
                if mode is not None:
                    os.chmod(temp, mode)
                os.replace(temp, base)
            except BaseException:
                try:
                    os.unlink(temp)
                except OSError:
                    pass
                raise
        except OSError as error:
            raise AssertionError(
                f"--zudiz-accept cannot write baseline {shown}: "
                f"{error.strerror or error}"
            ) from None
        self._node.user_properties.append((ACCEPTED_PROPERTY, f"{shown} ({how})"))

    @staticmethod
    def _create_temp(base: Path, mode: int) -> tuple[Path, int]:
        """A new file beside the baseline; the process's umask applies to
        `mode`, as for any file it creates."""
        while True:
            temp = base.with_name(f".{base.name}.{secrets.token_hex(4)}.tmp")
            try:
                flags = os.O_WRONLY | os.O_CREAT | os.O_EXCL
                return temp, os.open(temp, flags | getattr(os, "O_BINARY", 0), mode)
            except FileExistsError:
                continue

    def _shown(self, path: Path) -> str:
        try:
            return str(Path(os.path.abspath(path)).relative_to(self._root))
        except ValueError:
            return str(path)

    @staticmethod
    def _with(words: str) -> str:
        return f" (switches {words})" if words else ""


# Listed pairs shown in context in a failure message; the listing follows
# with all of them.
SHOWN_PAIRS = 20


def _where(page: int, line: int, side: str) -> str:
    return f"page {page}, line {line} ({side})" if line else f"no line ({side})"


def _in_context(pairs: List[zudiz.ListedPair]) -> str:
    """The listed pairs where they stand: for each, the baseline's lines
    before it and its whole line ("-"), then the produced report's ("+"),
    whose lines before it are shown only when they are not the baseline's."""
    shown = []
    for pair in pairs[:SHOWN_PAIRS]:
        lines = [
            f"{_where(pair.page1, pair.line1, 'baseline')} / "
            f"{_where(pair.page2, pair.line2, 'produced')}:"
        ]
        sides = [(pair.context1, pair.line1, pair.line_text1, "-")]
        context2 = pair.context2 if pair.context2 != pair.context1 else ()
        sides.append((context2, pair.line2, pair.line_text2, "+"))
        for context, line, text, mark in sides:
            lines += ["    " + c.decode("latin-1") for c in context]
            if line:
                lines.append(f"  {mark} " + text.decode("latin-1"))
        shown.append("\n".join(lines))
    if len(pairs) > SHOWN_PAIRS:
        shown.append(f"... and {len(pairs) - SHOWN_PAIRS} more listed pairs")
    return "\n\n".join(shown) + "\n\n" if shown else ""


@pytest.fixture
def zudiz_baseline(request: pytest.FixtureRequest) -> Baseline:
    """Checks produced reports against stored baselines:
    `zudiz_baseline.check(produced, baseline, switches="")`."""
    return Baseline(request)

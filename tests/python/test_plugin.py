"""The pytest plugin, run by pytester in a fresh folder: a check that
passes, its failure message, a missing baseline, and the accept loop."""

import os
import stat

import pytest

BASE = b"T\nP\n\nFLOW 1000\nHEAD 3.0\n"
CLOSE = b"T\nP\n\nFLOW 1005\nHEAD 3.0\n"  # 0.5 %: listed, within 1 %
NEW = b"T\nP\n\nFLOW 99\nHEAD 3.0\nLOSS 1\n"

# Each test writes its produced report from the parameter, checks it against
# baselines/<name>.rpt, and stores the result's status beside it.
TESTS = """
import pytest

@pytest.mark.parametrize("name, produced", {cases!r})
def test_report(tmp_path, zudiz_baseline, name, produced):
    report = tmp_path / "produced.rpt"
    report.write_bytes(produced)
    r = zudiz_baseline.check(report, "baselines/" + name + ".rpt", {switches!r})
    assert r.status in ("same", "different")
"""


def run(pytester, cases, *options, switches=""):
    pytester.makepyfile(test_reports=TESTS.format(cases=cases, switches=switches))
    return pytester.runpytest("-p", "zudiz.pytest_plugin", *options)


def baseline(pytester, name, data=None):
    path = pytester.path / "baselines" / (name + ".rpt")
    if data is not None:
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
    return path


def test_same_report_passes(pytester):
    baseline(pytester, "a", BASE)
    run(pytester, [("a", BASE)]).assert_outcomes(passed=1)


def test_different_report_fails_with_the_listing(pytester):
    baseline(pytester, "a", BASE)
    result = run(pytester, [("a", NEW)])
    result.assert_outcomes(failed=1)
    result.stdout.fnmatch_lines(
        [
            "E * differs from baseline baselines/a.rpt:",
            "E * Comparing BASELINE vs. PRODUCED",
            "E * BASELINE * 4   1000",
            "E * PRODUCED * 4   99 *",
            "E * (to accept it as the new baseline, run pytest with --zudiz-accept)",
        ]
    )
    assert baseline(pytester, "a").read_bytes() == BASE


def test_failure_message_shows_the_lines_in_context(pytester):
    rows = b"".join(b"ROW %d 1.0\n" % i for i in range(25))
    baseline(pytester, "a", b"T\nP\n\nLOAD A\n" + rows)
    produced = b"T\nP\n\nLOAD A\n" + rows.replace(b" 1.0", b" 2.0")
    result = run(pytester, [("a", produced)], switches="/VERBOSE:30")
    result.assert_outcomes(failed=1)
    result.stdout.fnmatch_lines(
        [
            "E * differs from baseline baselines/a.rpt*:",
            "E *page 1, line 5 (baseline) / page 1, line 5 (produced):",
            "E *    ",
            "E *    LOAD A",
            "E *  - ROW 0 1.0",
            "E *  + ROW 0 2.0",
            "E *page 1, line 6 (baseline) / page 1, line 6 (produced):",
            "E *    LOAD A",
            "E *    ROW 0 1.0",
            "E *  - ROW 1 1.0",
            "E *    ROW 0 2.0",
            "E *  + ROW 1 2.0",
            "E *page 1, line 24 (baseline) / page 1, line 24 (produced):",
            "E *... and 5 more listed pairs",
            "E * Comparing BASELINE vs. PRODUCED",
            "E * BASELINE * 29   1.0",
        ]
    )
    assert "line 25 (baseline)" not in result.stdout.str()


def test_missing_baseline_says_how_to_create_it(pytester):
    result = run(pytester, [("gone", BASE)])
    result.assert_outcomes(failed=1)
    result.stdout.fnmatch_lines(
        ["E * baseline baselines/gone.rpt is missing; * run pytest with --zudiz-accept"]
    )
    assert not baseline(pytester, "gone").exists()


def test_switches_of_the_run_and_of_the_check(pytester):
    baseline(pytester, "a", BASE)
    run(pytester, [("a", CLOSE)]).assert_outcomes(failed=1)
    result = run(pytester, [("a", CLOSE)], "--zudiz-switches=/IGNORE%:1")
    result.assert_outcomes(passed=1)
    # The check's own switches come after those of the run.
    run(pytester, [("a", CLOSE)], "--zudiz-switches=/IGNORE%:0.01",
        switches="/IGNORE%:1").assert_outcomes(passed=1)
    result = run(pytester, [("a", BASE)], "--zudiz-switches=/NOSUCH")
    assert result.ret == pytest.ExitCode.USAGE_ERROR
    result.stderr.fnmatch_lines(["*--zudiz-switches=/NOSUCH: *NOSUCH*"])


def test_accept_loop(pytester):
    baseline(pytester, "same", BASE)
    baseline(pytester, "changed", BASE)
    os.chmod(baseline(pytester, "changed"), 0o640)
    cases = [("same", BASE), ("changed", NEW), ("sub/new", NEW)]
    run(pytester, cases).assert_outcomes(passed=1, failed=2)

    result = run(pytester, cases, "--zudiz-accept")
    result.assert_outcomes(passed=3)
    result.stdout.fnmatch_lines(
        [
            "*zudiz: 2 baselines accepted*",
            "accepted  baselines/changed.rpt (changed)",
            "accepted  baselines/sub/new.rpt (created)",
        ]
    )
    assert baseline(pytester, "changed").read_bytes() == NEW
    assert baseline(pytester, "sub/new").read_bytes() == NEW
    assert stat.S_IMODE(baseline(pytester, "changed").stat().st_mode) == 0o640
    assert sorted(p.name for p in (pytester.path / "baselines").rglob("*")) == [
        "changed.rpt", "new.rpt", "same.rpt", "sub"
    ]

    run(pytester, cases).assert_outcomes(passed=3)
    again = run(pytester, cases, "--zudiz-accept")
    again.stdout.fnmatch_lines(["zudiz: --zudiz-accept changed no baseline"])


def test_accept_leaves_errors_and_links_alone(pytester):
    baseline(pytester, "bad", BASE)
    target = baseline(pytester, "target", BASE)
    os.symlink(target.name, baseline(pytester, "link"))
    cases = [("bad", NEW), ("missing", NEW)]
    result = run(pytester, cases, "--zudiz-accept", switches="/NOSUCH")
    result.assert_outcomes(failed=2)
    result.stdout.fnmatch_lines(
        ["E * could not compare *: Bad switch*", "E *(not accepted)"]
    )
    assert not baseline(pytester, "missing").exists()
    result = run(pytester, [("link", NEW)], "--zudiz-accept")
    result.assert_outcomes(failed=1)
    result.stdout.fnmatch_lines(["E * baselines/link.rpt is a symbolic link*"])
    assert baseline(pytester, "bad").read_bytes() == BASE
    assert target.read_bytes() == BASE

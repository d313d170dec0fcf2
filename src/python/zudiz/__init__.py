"""ZUDIZ from Python: compare two VAV report files as a function call.

    >>> import zudiz
    >>> r = zudiz.compare_files("run1.rpt", "run2.rpt", "/IGNORE%:1")
    >>> r.status, r.counts.numeric_differences
    ('different', 1)

A call runs the same engine as the zudiz program, on the calling thread and
with the GIL released, so threads (a ThreadPoolExecutor) compare pairs in
parallel. `Result.output` holds exactly the bytes the program would print.
A bad switch, an unreadable file or a report the program refuses is a Result
with status "error" and the program's message, never an exception; only
arguments of the wrong type (TypeError) or holding a NUL byte (ValueError)
raise.

The pytest plugin (zudiz.pytest_plugin) compares produced reports with
stored baselines: see its documentation.
"""

from __future__ import annotations

import os
from typing import Literal, Optional, Union

from ._zudiz import (
    HISTOGRAM_BUCKETS,
    MAX_CONTEXT_LINES,
    MAX_LOOKAHEAD,
    MAX_NUMBERS,
    VERDICTS,
    VERSION,
    Counts,
    ListedPair,
    NumberPair,
    Result,
    histogram_bucket,
    histogram_lower_bound,
    relative_difference,
)
from . import _zudiz

__version__ = VERSION

# The classes are the package's, whichever module defines them.
for _class in (Counts, ListedPair, NumberPair, Result):
    _class.__module__ = __name__
del _class

__all__ = [
    "ALL_NUMBERS",
    "HISTOGRAM_BUCKETS",
    "MAX_CONTEXT_LINES",
    "MAX_LOOKAHEAD",
    "MAX_NUMBERS",
    "VERDICTS",
    "VERSION",
    "Counts",
    "ListedPair",
    "NumberPair",
    "Result",
    "compare_files",
    "compare_texts",
    "histogram_bucket",
    "histogram_lower_bound",
    "relative_difference",
]

StrPath = Union[str, bytes, os.PathLike]
MaxNumbers = Union[int, Literal["all"], None]

# max_numbers that keeps every unequal number pair (as zudiz-suite's
# --max-numbers=all).
ALL_NUMBERS = "all"


def _type_name(value: object) -> str:
    return type(value).__name__


def _name_bytes(function: str, argument: str, value: object) -> bytes:
    """A file name or label as the bytes the engine opens or shows."""
    if not isinstance(value, (str, bytes, os.PathLike)):
        raise TypeError(
            f"{function}(): {argument} must be str, bytes or os.PathLike, "
            f"not {_type_name(value)}"
        )
    name = os.fsencode(value)
    if b"\0" in name:
        raise ValueError(f"{function}(): {argument} holds a NUL byte")
    return name


def _switch_bytes(function: str, switches: object) -> bytes:
    if not isinstance(switches, str):
        raise TypeError(
            f"{function}(): switches must be str (such as "
            f"'/IGNORE%:1 /SKIPF:3'), not {_type_name(switches)}"
        )
    words = os.fsencode(switches)
    if b"\0" in words:
        raise ValueError(f"{function}(): switches hold a NUL byte")
    return words


def _text(argument: str, value: object) -> object:
    """`value` when it offers its bytes in one piece (bytes, bytearray,
    memoryview, mmap, ...)."""
    if isinstance(value, str):
        raise TypeError(
            f"compare_texts(): {argument} must be bytes (the report's own "
            f"bytes), not str; encode it first, e.g. "
            f"{argument}.encode('latin-1')"
        )
    try:
        view = memoryview(value)  # type: ignore[arg-type]
    except TypeError:
        raise TypeError(
            f"compare_texts(): {argument} must be bytes or another "
            f"bytes-like object, not {_type_name(value)}"
        ) from None
    with view:
        if not view.contiguous:
            raise TypeError(
                f"compare_texts(): {argument} must be contiguous bytes "
                f"(a non-contiguous view was given)"
            )
    return value


def _context_lines(function: str, value: object) -> int:
    if not isinstance(value, int) or isinstance(value, bool):
        raise TypeError(
            f"{function}(): context_lines must be int, not {_type_name(value)}"
        )
    if not 0 <= value <= MAX_CONTEXT_LINES:
        raise ValueError(
            f"{function}(): context_lines must be 0 to {MAX_CONTEXT_LINES}, "
            f"not {value}"
        )
    return value


def _lookahead(function: str, value: object) -> int:
    if not isinstance(value, int) or isinstance(value, bool):
        raise TypeError(
            f"{function}(): lookahead must be int, not {_type_name(value)}"
        )
    if not 1 <= value <= MAX_LOOKAHEAD:
        raise ValueError(
            f"{function}(): lookahead must be 1 to {MAX_LOOKAHEAD}, not {value}"
        )
    return value


def _max_numbers(function: str, value: object) -> int:
    """The cap as the extension takes it: -1 keeps every number pair."""
    if value is None:
        return MAX_NUMBERS
    if isinstance(value, str):
        if value != ALL_NUMBERS:
            raise ValueError(
                f"{function}(): max_numbers must be an int, 'all' or None, "
                f"not {value!r}"
            )
        return -1
    if not isinstance(value, int) or isinstance(value, bool):
        raise TypeError(
            f"{function}(): max_numbers must be int, 'all' or None, "
            f"not {_type_name(value)}"
        )
    if not 0 <= value < 2**63:
        raise ValueError(
            f"{function}(): max_numbers must be 0 or more (or 'all'), "
            f"not {value}"
        )
    return value


def compare_files(
    file1: StrPath,
    file2: StrPath,
    switches: str = "",
    *,
    context_lines: int = 2,
    max_numbers: MaxNumbers = None,
    lookahead: int = 1,
) -> Result:
    """Compares two report files as the zudiz program does.

    file1, file2: the files' names (str, bytes or os.PathLike). They are
        taken whole (a slash in them starts no switch), shown upper-cased in
        the output and, like every name of the program, cut to 256 bytes.
    switches: the program's switch words, read as the program reads the
        words after the file names, e.g. "/IGNORE%:1 /SKIPF:3".
    context_lines: lines before each listed line kept in its
        ListedPair.context1/context2, 0 to MAX_CONTEXT_LINES.
    max_numbers: number pairs kept in Result.numbers: None for MAX_NUMBERS,
        an int (0 or more), or "all" (ALL_NUMBERS) to keep every one (each
        costs about 40 bytes). The comparison and the output are the same
        whatever these two say.
    lookahead: lines the alignment looks ahead, 1 to MAX_LOOKAHEAD. 1 keeps
        the program's rules (one extra line at a time); with N > 1 a block
        of up to N inserted or deleted lines is listed as those lines and
        the lines after it are compared in step (line mode only).

    Returns a Result: status "same", "different" or "error". A bad switch,
    a missing or unreadable file, or a report the program refuses ("Page
    too large to fit in buffer") gives status "error" with the program's
    message, never an exception. The GIL is released while comparing.

    Raises TypeError for arguments of the wrong type, ValueError for a name
    or switches holding a NUL byte, or context_lines, max_numbers or
    lookahead out of range.
    """
    return _zudiz.compare_files(
        _name_bytes("compare_files", "file1", file1),
        _name_bytes("compare_files", "file2", file2),
        _switch_bytes("compare_files", switches),
        _context_lines("compare_files", context_lines),
        _max_numbers("compare_files", max_numbers),
        _lookahead("compare_files", lookahead),
    )


def compare_texts(
    text1: bytes,
    text2: bytes,
    switches: str = "",
    label1: StrPath = "FILE1",
    label2: StrPath = "FILE2",
    *,
    context_lines: int = 2,
    max_numbers: MaxNumbers = None,
    lookahead: int = 1,
) -> Result:
    """Compares two reports held in memory as the zudiz program compares
    two files.

    text1, text2: the reports' bytes (bytes, bytearray, memoryview, mmap or
        any contiguous bytes-like object; not str: reports are bytes of an
        8-bit code page, encode a str first). They must not change during
        the call; a bytearray cannot be resized meanwhile.
    switches: the program's switch words, e.g. "/ALL /VERBOSE:10".
    label1, label2: stand where the file names would in the output (shown
        upper-cased); an empty label is a missing name.
    context_lines, max_numbers, lookahead: as for compare_files.

    Returns a Result as compare_files does; the GIL is released while
    comparing. Raises TypeError for arguments of the wrong type (a str
    text included), ValueError for switches or labels holding a NUL byte,
    or context_lines, max_numbers or lookahead out of range.
    """
    return _zudiz.compare_texts(
        _text("text1", text1),
        _text("text2", text2),
        _switch_bytes("compare_texts", switches),
        _name_bytes("compare_texts", "label1", label1),
        _name_bytes("compare_texts", "label2", label2),
        _context_lines("compare_texts", context_lines),
        _max_numbers("compare_texts", max_numbers),
        _lookahead("compare_texts", lookahead),
    )

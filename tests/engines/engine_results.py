"""Comparing an engine's rows with the computed answer."""

from __future__ import annotations

import datetime as dt
import math
import re
from decimal import Decimal

_MIDNIGHT = re.compile(r"^(\d{4}-\d{2}-\d{2})[ T]00:00:00(\.0+)?([+-]00(:?00)?|Z)?$")


def normalize(value):
    """One spelling per value whatever the engine's types: numbers as floats, dates and
    midnight timestamps as YYYY-MM-DD, other timestamps as YYYY-MM-DD HH:MM:SS."""
    if value is None:
        return None
    if isinstance(value, bool):
        return float(value)
    if isinstance(value, (int, float, Decimal)):
        return float(value)
    if isinstance(value, dt.datetime):
        if value.tzinfo is not None:
            value = value.astimezone(dt.timezone.utc).replace(tzinfo=None)
        if value.time() == dt.time(0):
            return value.strftime("%Y-%m-%d")
        return value.strftime("%Y-%m-%d %H:%M:%S")
    if isinstance(value, dt.date):
        return value.isoformat()
    if isinstance(value, str):
        match = _MIDNIGHT.match(value)
        return match.group(1) if match else value
    return value


def _sort_key(row):
    return tuple((0, 0.0, "") if v is None else (1, v, "") if isinstance(v, float) else (2, 0.0, str(v))
                 for v in row)


def _same(a, b, tolerance: float) -> bool:
    if isinstance(a, float) and isinstance(b, float):
        return math.isclose(a, b, rel_tol=tolerance, abs_tol=1e-6)
    return a == b


def compare_rows(actual, expected, ordered: bool, tolerance: float = 1e-6) -> str | None:
    """None when the rows agree, else a short description of the first difference."""
    got = [tuple(normalize(v) for v in row) for row in actual]
    want = [tuple(normalize(v) for v in row) for row in expected]
    if not ordered:
        got.sort(key=_sort_key)
        want.sort(key=_sort_key)
    if len(got) != len(want):
        missing = [r for r in want if r not in got][:5]
        extra = [r for r in got if r not in want][:5]
        return (f"{len(got)} rows, expected {len(want)}; "
                f"expected but missing: {missing}; unexpected: {extra}")
    for index, (g, w) in enumerate(zip(got, want)):
        if len(g) != len(w) or not all(_same(x, y, tolerance) for x, y in zip(g, w)):
            return f"row {index}: got {g}, expected {w}"
    return None

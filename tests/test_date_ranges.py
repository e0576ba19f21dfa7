"""Date ranges of time dimensions: relative phrases resolved against the host's local date.

"Today" is fixed by running the interpreter under libfaketime in a subprocess; the module reads
the clock like any program, so the dates show up as the bound parameters of the generated SQL.
"""

import datetime
import json
import os
import shutil
import subprocess
import sys

import orvane
import pytest

VIEW = """
name: orders
table: orders
dimensions:
  - name: created_at
    type: date
    expr: created_at
  - name: placed_at
    type: datetime
    expr: placed_at
measures:
  - name: count
    type: count
"""

# Compiles each query read from stdin; prints the params, or the message of a failure.
COMPILE_EACH = """
import json, sys, orvane
view, queries = json.load(sys.stdin)
results = []
for query in queries:
    try:
        results.append(orvane.compile([view], query, "postgres")["params"])
    except ValueError as error:
        results.append(str(error))
print(json.dumps(results))
"""

# libfaketime hangs at start-up beside a preloaded sanitizer runtime; the sanitizer run still
# covers date ranges through the tests that read the real clock.
_SANITIZER_PRELOADED = "libasan" in os.environ.get("LD_PRELOAD", "")


def needs_faketime(test):
    test = pytest.mark.skipif(shutil.which("faketime") is None, reason="needs faketime")(test)
    return pytest.mark.skipif(_SANITIZER_PRELOADED, reason="faketime hangs under ASan")(test)


def range_query(date_range, dimension="orders.created_at", **extra):
    time_dimension = {"dimension": dimension, "date_range": date_range}
    return json.dumps({"measures": ["orders.count"], "time_dimensions": [time_dimension], **extra})


def compile_under(fake_time, queries, tz="UTC"):
    """Params (or error text) of each query, compiled in an interpreter whose clock says
    `fake_time` in zone `tz`; `fake_time` None leaves the clock alone."""
    module_dir = os.path.dirname(os.path.abspath(orvane.__file__))
    env = dict(os.environ, TZ=tz, PYTHONPATH=os.pathsep.join([module_dir, *sys.path]))
    command = [sys.executable, "-c", COMPILE_EACH]
    if fake_time is not None:
        command = ["faketime", fake_time, *command]
    completed = subprocess.run(
        command, input=json.dumps([VIEW, queries]), capture_output=True, text=True, env=env,
        timeout=60, check=True,
    )
    return json.loads(completed.stdout)


# phrase -> expected (start, end) for each "today".
PHRASES = {
    "2024-05-20": {  # a Monday
        "today": ("2024-05-20", "2024-05-20"),
        "yesterday": ("2024-05-19", "2024-05-19"),
        "this week": ("2024-05-20", "2024-05-26"),
        "last week": ("2024-05-13", "2024-05-19"),
        "this month": ("2024-05-01", "2024-05-31"),
        "last month": ("2024-04-01", "2024-04-30"),
        "this quarter": ("2024-04-01", "2024-06-30"),
        "last quarter": ("2024-01-01", "2024-03-31"),
        "this year": ("2024-01-01", "2024-12-31"),
        "last year": ("2023-01-01", "2023-12-31"),
        "last 7 days": ("2024-05-13", "2024-05-19"),
        "last 1 day": ("2024-05-19", "2024-05-19"),
        "last 2 weeks": ("2024-05-06", "2024-05-19"),
        "last 3 months": ("2024-02-20", "2024-05-19"),
        "last 5 months": ("2023-12-20", "2024-05-19"),
        "last 17 months": ("2022-12-20", "2024-05-19"),
        "last 12 months": ("2023-05-20", "2024-05-19"),
        "last 2 years": ("2022-05-20", "2024-05-19"),
        "last 0 days": ("2024-05-20", "2024-05-19"),
        "last 007 days": ("2024-05-13", "2024-05-19"),
        "  Last   7  DAYS  ": ("2024-05-13", "2024-05-19"),
        "\u2003THIS WEEK\u00a0": ("2024-05-20", "2024-05-26"),
        "last\t7\u3000days": ("2024-05-13", "2024-05-19"),
        "last 2024 years": ("0000-05-20", "2024-05-19"),
    },
    "2024-05-26": {  # a Sunday
        "this week": ("2024-05-20", "2024-05-26"),
        "last week": ("2024-05-13", "2024-05-19"),
        "last 1 week": ("2024-05-19", "2024-05-25"),
    },
    "2024-02-29": {
        "this month": ("2024-02-01", "2024-02-29"),
        "last month": ("2024-01-01", "2024-01-31"),
        "this week": ("2024-02-26", "2024-03-03"),
        "last quarter": ("2023-10-01", "2023-12-31"),
        "last 1 month": ("2024-01-28", "2024-02-28"),
        "last 2 years": ("2022-02-28", "2024-02-28"),
        "last 12 months": ("2023-02-28", "2024-02-28"),
    },
    "2024-03-31": {
        "last 1 month": ("2024-02-28", "2024-03-30"),
        "last month": ("2024-02-01", "2024-02-29"),
        "this quarter": ("2024-01-01", "2024-03-31"),
        "yesterday": ("2024-03-30", "2024-03-30"),
    },
    "2024-01-01": {
        "yesterday": ("2023-12-31", "2023-12-31"),
        "last week": ("2023-12-25", "2023-12-31"),
        "last month": ("2023-12-01", "2023-12-31"),
        "last quarter": ("2023-10-01", "2023-12-31"),
        "last year": ("2023-01-01", "2023-12-31"),
        "this month": ("2024-01-01", "2024-01-31"),
        "last 1 month": ("2023-12-01", "2023-12-31"),
        "last 13 months": ("2022-12-01", "2023-12-31"),
    },
    "2024-12-10": {
        "this month": ("2024-12-01", "2024-12-31"),
        "this quarter": ("2024-10-01", "2024-12-31"),
        "last 7 days": ("2024-12-03", "2024-12-09"),
    },
}


@needs_faketime
@pytest.mark.parametrize("today", sorted(PHRASES))
def test_phrases_resolve_against_the_fixed_today(today):
    phrases = PHRASES[today]
    results = compile_under(f"{today} 12:00:00", [range_query([p]) for p in phrases])
    assert dict(zip(phrases, results)) == {p: list(dates) for p, dates in phrases.items()}


@needs_faketime
@pytest.mark.parametrize(
    "instant, tz, query_zone, today",
    [
        ("2024-05-20 23:30:00 UTC", "UTC", None, "2024-05-20"),
        ("2024-05-20 23:30:00 UTC", "Pacific/Kiritimati", None, "2024-05-21"),
        ("2024-05-20 05:00:00 UTC", "Pacific/Honolulu", None, "2024-05-19"),
        # The query's own zone plays no part in what "today" is.
        ("2024-05-20 23:30:00 UTC", "UTC", "Pacific/Kiritimati", "2024-05-20"),
    ],
)
def test_today_is_the_date_in_the_host_zone(instant, tz, query_zone, today):
    extra = {"timezone": query_zone} if query_zone else {}
    results = compile_under(instant, [range_query(["today"], **extra)], tz=tz)
    assert results == [[today, today]]


def test_today_is_read_from_the_real_clock():
    before = datetime.date.today().isoformat()
    params = orvane.compile([VIEW], range_query(["today"]), "postgres")["params"]
    after = datetime.date.today().isoformat()
    assert params[0] == params[1] and params[0] in (before, after)


def test_condition_binds_start_then_end_and_repeats_the_expression():
    result = orvane.compile(
        [VIEW],
        range_query(["2024-01-31", "2024-01-01"], dimension="orders.placed_at",
                    timezone="Europe/Paris"),
        "postgres",
    )
    expression = "(\"orders\".\"placed_at\"::timestamptz AT TIME ZONE 'Europe/Paris')"
    assert f"{expression} >= $1 AND {expression} <= $2" in result["sql"]
    assert result["params"] == ["2024-01-31", "2024-01-01"]


@pytest.mark.parametrize(
    "date_range",
    [["not a date", "2024-13-45"], ["last 7 days", "today"], [" 2024-01-01", "x"]],
)
def test_two_texts_pass_through_untouched(date_range):
    result = orvane.compile([VIEW], range_query(date_range), "postgres")
    assert result["params"] == date_range


UNRESOLVABLE = [
    ["last seven days"],
    ["next week"],
    ["this  week"],
    ["last 2 quarters"],
    ["last 7 dayss"],
    ["last7 days"],
    ["last -1 days"],
    ["last 1.5 days"],
    ["last \u0667 days"],  # a digit, but not an ASCII one
    ["last 18446744073709551615 days"],
    ["last 18446744073709551616 days"],
    ["last 99999999999 weeks"],
    ["last 9999999 months"],
    ["last 3000 years"],
    [],
    ["2024-01-01", "2024-01-31", "2024-02-29"],
]


@pytest.mark.parametrize("date_range", UNRESOLVABLE)
def test_a_range_that_does_not_resolve_to_two_dates_is_a_query_error(date_range):
    with pytest.raises(ValueError) as raised:
        orvane.compile([VIEW], range_query(date_range), "postgres")
    message = str(raised.value)
    assert message.startswith("Query error: Time dimension 'orders.created_at' has a date_range ")
    assert json.dumps(date_range, ensure_ascii=False) in message


def test_time_dimension_without_granularity_or_range_is_refused():
    query = json.dumps({"measures": ["orders.count"],
                        "time_dimensions": [{"dimension": "orders.created_at"}]})
    with pytest.raises(ValueError) as raised:
        orvane.compile([VIEW], query, "postgres")
    assert str(raised.value) == (
        "Query error: Time dimension 'orders.created_at' has neither a granularity nor a "
        "date_range, so it would not affect the query at all. Set a granularity to group by it, "
        "set a date_range to filter by it, or drop it -- otherwise the result is an unscoped "
        "aggregate that reads like a scoped one."
    )


def test_granularity_alone_adds_no_condition():
    query = json.dumps({"measures": ["orders.count"],
                        "time_dimensions": [{"dimension": "orders.created_at",
                                             "granularity": "month", "date_range": None}]})
    result = orvane.compile([VIEW], query, "postgres")
    assert result["params"] == [] and "WHERE" not in result["sql"]

"""Repeated calls leave nothing behind: memory and reference counts stay flat."""
import gc
import os
import sys

import orvane
import pytest

VIEW = """
name: orders
table: orders
entities:
  - {name: order, type: primary, key: id}
dimensions:
  - {name: id, type: number, expr: id}
  - {name: status, type: string, expr: status}
  - {name: created_at, type: datetime, expr: created_at}
measures:
  - {name: count, type: count}
  - {name: revenue, type: sum, expr: amount, filters: [{expr: "status = 'paid'"}]}
segments:
  - {name: big, expr: amount > 100}
"""

QUERY = (
    '{"measures": ["orders.count", "orders.revenue"], "dimensions": ["orders.status"],'
    ' "filters": [{"member": "orders.status", "operator": "equals", "values": ["paid", "open"]}],'
    ' "time_dimensions": [{"dimension": "orders.created_at", "granularity": "month",'
    ' "date_range": ["2024-01-01", "2024-12-31"]}], "segments": ["orders.big"], "limit": 5}'
)

# Successful and failing calls through every stage.
CALLS = [
    lambda: orvane.compile([VIEW], QUERY, "postgres"),
    lambda: orvane.compile([VIEW], QUERY, "snowflake"),
    lambda: orvane.compile([VIEW], '{"measures": ["orders.nope"]}', "mysql"),
    lambda: orvane.compile([VIEW], "[1, 2", "duckdb"),
    lambda: orvane.compile([VIEW], QUERY, "nope"),
    lambda: orvane.compile(["name: [broken"], QUERY, "postgres"),
    lambda: orvane.validate([VIEW]),
    lambda: orvane.catalog_list([VIEW]),
]

UNDER_SANITIZER = "libasan" in os.environ.get("LD_PRELOAD", "")


def call_all(times):
    for _ in range(times):
        for call in CALLS:
            try:
                call()
            except ValueError:
                pass


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def test_reference_counts_of_arguments_stay_flat():
    views = [VIEW]
    query = QUERY + " "
    dialect = "".join(["post", "gres"])
    before = [sys.getrefcount(o) for o in (views, VIEW, query, dialect)]
    for _ in range(200):
        orvane.compile(views, query, dialect)
        orvane.validate(views)
        try:
            orvane.compile(views, query, dialect + "x")
        except ValueError:
            pass
    assert [sys.getrefcount(o) for o in (views, VIEW, query, dialect)] == before


def test_python_objects_do_not_accumulate():
    call_all(50)
    gc.collect()
    before = len(gc.get_objects())
    call_all(300)
    gc.collect()
    assert len(gc.get_objects()) - before < 50


@pytest.mark.skipif(UNDER_SANITIZER, reason="the sanitizer's quarantine holds freed memory")
def test_resident_memory_stays_flat():
    call_all(300)
    before = resident_bytes()
    call_all(3000)
    assert resident_bytes() - before < 4 * 1024 * 1024

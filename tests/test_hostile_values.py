"""Caller values never reach the SQL text: through every request field, a hostile text either
travels as a bound parameter or the request is refused."""
import json

import orvane
import pytest

ORDERS = """
name: orders
table: orders
dimensions:
  - {name: status, type: string, expr: status}
  - {name: paid, type: boolean, expr: paid}
  - {name: created_at, type: datetime, expr: created_at}
measures:
  - {name: count, type: count}
  - {name: revenue, type: sum, expr: amount}
segments:
  - {name: large, expr: amount > 100}
"""

HOSTILE = [
    "'; DROP TABLE orders; --",
    "\\'; SELECT 1 /*",
    "*/ OR 1=1 -- ",
    "\" OR \"\"=\"",
    "`x`; --",
    "a'b\\c;d",
    "{{ TABLE }}",
]
DIALECTS = ["postgres", "mysql", "bigquery", "snowflake", "clickhouse", "sqlite"]
OPERATORS = ["equals", "notEquals", "contains", "notContains", "startsWith", "notStartsWith",
             "endsWith", "notEndsWith", "gt", "gte", "lt", "lte", "beforeDate", "beforeOrOnDate",
             "afterDate", "afterOrOnDate", "onTheDate"]


def compile_query(query, dialect):
    return orvane.compile([ORDERS], json.dumps(query), dialect)


def assert_only_in_params(result, value):
    assert value not in result["sql"]
    assert any(value in param for param in result["params"])


@pytest.mark.parametrize("dialect", DIALECTS)
@pytest.mark.parametrize("value", HOSTILE)
def test_filter_values_are_bound(dialect, value):
    for operator in OPERATORS:
        for member in ("orders.status", "orders.paid", "orders.revenue"):
            result = compile_query({"measures": ["orders.count"], "filters": [
                {"member": member, "operator": operator, "values": [value, value]}]}, dialect)
            assert_only_in_params(result, value)
    for operator in ("inDateRange", "notInDateRange"):
        result = compile_query({"measures": ["orders.count"], "filters": [
            {"member": "orders.created_at", "operator": operator, "values": ["2024-01-01", value]}
        ]}, dialect)
        assert_only_in_params(result, value)


def test_explicit_date_range_texts_are_bound():
    for value in HOSTILE:
        result = compile_query({"measures": ["orders.count"], "time_dimensions": [
            {"dimension": "orders.created_at", "date_range": [value, value]}]}, "postgres")
        assert_only_in_params(result, value)


def request_fields(value):
    """Requests that carry `value` in each field that is not a filter value."""
    path = f"orders.{value}"
    return [
        {"measures": [path]},
        {"dimensions": [path]},
        {"measures": ["orders.count"], "segments": [path]},
        {"time_dimensions": [{"dimension": path, "granularity": "day"}]},
        {"measures": [value]},
        {"measures": ["orders.count"], "filters": [{"member": path, "operator": "set"}]},
        {"measures": ["orders.count"], "order": [{"id": value}]},
        {"time_dimensions": [{"dimension": "orders.created_at", "granularity": value}]},
        {"time_dimensions": [{"dimension": "orders.created_at", "granularity": "day"}],
         "timezone": value},
        {"measures": ["orders.count"], "motif": value},
        {"measures": ["orders.count"], "through": [value]},
    ]


@pytest.mark.parametrize("dialect", DIALECTS)
@pytest.mark.parametrize("value", HOSTILE)
def test_other_fields_are_refused_or_kept_out_of_the_sql(dialect, value):
    for query in request_fields(value):
        try:
            result = compile_query(query, dialect)
        except ValueError:
            continue
        assert value not in result["sql"], query
        assert value not in result["params"], query

"""The harness itself: every engine starts, holds the dataset, and agrees with the
Python answers on statements written by hand in the engine's own SQL."""

import pytest

from engine_queries import CASES
from engine_results import compare_rows

CASE = {case.id: case for case in CASES}

MONTH = {
    "duckdb": "date_trunc('month', created_at)",
    "postgres": "date_trunc('month', created_at)",
    "sqlite": "strftime('%Y-%m-01', created_at)",
    "mariadb": "DATE_FORMAT(created_at, '%Y-%m-01')",
    "clickhouse": "toStartOfMonth(created_at)",
}
NUMBERED = {"duckdb": "$", "postgres": "$", "clickhouse": "$", "sqlite": "?", "mariadb": "?"}


def placeholders(engine, count):
    return ["?"] * count if NUMBERED[engine] == "?" else [f"${i}" for i in range(1, count + 1)]


def hand_written(engine, case_id):
    p = placeholders(engine, 2)
    return {
        "count_by_status": ("SELECT status, COUNT(*) FROM orders GROUP BY status", []),
        "aggregates_by_nullable_channel": (
            "SELECT channel, SUM(amount), AVG(amount), MIN(amount), MAX(amount) "
            "FROM orders GROUP BY channel", []),
        "filter_numeric_comparison": (
            f"SELECT status, COUNT(*), SUM(amount) FROM orders "
            f"WHERE amount > {p[0]} AND amount <= {p[1]} GROUP BY status", ["250", "400.5"]),
        "month_with_date_range": (
            f"SELECT {MONTH[engine]}, COUNT(*), SUM(amount) FROM orders "
            f"WHERE created_at >= {p[0]} AND created_at <= {p[1]} GROUP BY 1",
            ["2024-03-01", "2024-08-31"]),
        "customers_nullable_segment": (
            "SELECT segment, COUNT(*) FROM customers WHERE is_vip = TRUE GROUP BY segment", []),
        "expression_measure": (
            "SELECT category, SUM(quantity * unit_price), SUM(quantity) FROM order_items "
            "GROUP BY category", []),
    }[case_id]


HAND_CASES = ["count_by_status", "aggregates_by_nullable_channel", "filter_numeric_comparison",
              "month_with_date_range", "customers_nullable_segment", "expression_measure"]


@pytest.mark.parametrize("case_id", HAND_CASES)
@pytest.mark.parametrize("engine_name", ["duckdb", "sqlite", "postgres", "mariadb", "clickhouse"])
def test_engine_agrees_with_python_answers(engine_name, case_id, engine_pool, dataset):
    engine = engine_pool.get(engine_name)
    sql, params = hand_written(engine_name, case_id)
    problem = compare_rows(engine.run(sql, params), CASE[case_id].expected(dataset), False)
    assert problem is None, f"{problem}\n{sql}"


def test_dataset_has_the_awkward_rows(dataset):
    """The cases rely on these: without them NULL keys and outer joins go untested."""
    orders, customers = dataset["orders"].rows, dataset["customers"].rows
    buyers = {o["customer_id"] for o in orders}
    assert any(c["id"] not in buyers for c in customers)
    assert any(c["region_id"] is None for c in customers)
    assert any(c["segment"] is None for c in customers)
    assert any(o["channel"] is None for o in orders)
    assert {r["id"] for r in dataset["regions"].rows} - {c["region_id"] for c in customers}

"""The example models end to end on DuckDB: compile a handful of questions, run each
compiled statement with its bound parameters, and print the SQL and a small result table.

    python3 examples/run_engines_demo.py          # orvane installed, or PYTHONPATH=build/dev

Two models: the one-view shop of examples/shop with the questions of run_example.py, and the
four-view shop the engine tests use (tests/engines: regions, customers, orders and order
items, data generated deterministically), whose questions join views.
"""

from __future__ import annotations

import json
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "tests", "engines"))

import orvane  # noqa: E402

import run_example  # noqa: E402
from engine_data import VIEWS, generate  # noqa: E402
from engine_servers import DuckDBEngine  # noqa: E402

QUESTIONS = [
    ("Orders and revenue by status",
     {"measures": ["orders.count", "orders.revenue"], "dimensions": ["orders.status"],
      "order": [{"id": "orders.revenue", "desc": True}]}),
    ("Completed revenue by channel, large orders only",
     {"measures": ["orders.completed_revenue", "orders.average_amount"],
      "dimensions": ["orders.channel"], "segments": ["orders.large"]}),
    ("Monthly orders in the second quarter of 2024",
     {"measures": ["orders.count", "orders.revenue"],
      "time_dimensions": [{"dimension": "orders.created_at", "granularity": "month",
                           "date_range": ["2024-04-01", "2024-06-30"]}],
      "order": [{"id": "orders.created_at"}]}),
    ("Top five customers by revenue among web orders",
     {"measures": ["orders.revenue", "orders.count"], "dimensions": ["orders.customer_id"],
      "filters": [{"member": "orders.channel", "operator": "equals", "values": ["web"]}],
      "order": [{"id": "orders.revenue", "desc": True}], "limit": 5}),
    ("Revenue by customer segment (a join)",
     {"measures": ["orders.revenue"], "dimensions": ["customers.segment"],
      "order": [{"id": "orders.revenue", "desc": True}]}),
]


def format_table(names: list[str], rows: list[tuple], limit: int = 8) -> str:
    def cell(value):
        if value is None:
            return "NULL"
        if isinstance(value, float) or type(value).__name__ == "Decimal":
            return f"{float(value):,.2f}"
        return str(value)

    shown = [[cell(v) for v in row] for row in rows[:limit]]
    widths = [max([len(n)] + [len(r[i]) for r in shown]) for i, n in enumerate(names)]
    lines = ["  ".join(n.ljust(w) for n, w in zip(names, widths)),
             "  ".join("-" * w for w in widths)]
    lines += ["  ".join(v.rjust(w) if v[:1].isdigit() or v[:1] == "-" else v.ljust(w)
                        for v, w in zip(r, widths)) for r in shown]
    if len(rows) > limit:
        lines.append(f"... {len(rows) - limit} more rows")
    return "\n".join(lines)


def run_questions(views, questions, run, dialect: str = "duckdb") -> int:
    """Compiles and runs each question with run(sql, params); returns how many failed."""
    failures = 0
    for title, query in questions:
        print(f"=== {title}")
        print(f"query: {json.dumps(query)}")
        try:
            result = orvane.compile(views, json.dumps(query), dialect)
        except ValueError as e:
            print(f"compile failed: {e}\n")
            failures += 1
            continue
        print(result["sql"])
        print(f"params: {result['params']}")
        try:
            rows = run(result["sql"], result["params"])
        except Exception as e:
            print(f"DuckDB refused it: {e}\n")
            failures += 1
            continue
        print(format_table([c["member"] for c in result["columns"]], rows))
        print()
    return failures


def run_demo() -> int:
    """Both models on DuckDB; returns the number of questions that failed."""
    print("##### examples/shop: one view over orders.csv\n")
    connection = run_example.open_database()
    try:
        failures = run_questions(run_example.load_views(), run_example.QUESTIONS,
                                 lambda sql, params: connection.execute(sql, params).fetchall())
    finally:
        connection.close()
    print("##### the engine tests' shop: regions, customers, orders, order items\n")
    engine = DuckDBEngine()
    engine.start()
    try:
        engine.load(list(generate().values()))
        failures += run_questions(VIEWS, QUESTIONS, engine.run)
    finally:
        engine.stop()
    return failures


if __name__ == "__main__":
    sys.exit(1 if run_demo() else 0)

"""Compiles a few questions about the example shop model and runs them on DuckDB.

Usage: python3 examples/run_example.py [dialect]
With a dialect other than duckdb the SQL and parameters are printed without running them.
"""
import json
import pathlib
import sys

import orvane

SHOP = pathlib.Path(__file__).resolve().parent / "shop"

QUESTIONS = [
    ("Paid revenue per month and channel, first quarter of 2024", {
        "measures": ["orders.paid_revenue", "orders.count"],
        "dimensions": ["orders.channel"],
        "time_dimensions": [{"dimension": "orders.created_at", "granularity": "month",
                             "date_range": ["2024-01-01", "2024-03-31"]}],
        "order": [{"id": "orders.created_at"}, {"id": "orders.channel"}],
    }),
    ("Customers and order value by status, busiest first", {
        "measures": ["orders.customers", "orders.average_order_value",
                     "orders.revenue_per_customer"],
        "dimensions": ["orders.status"],
        "order": [{"id": "orders.customers", "desc": True}],
        "limit": 5,
    }),
    ("Large app orders that were not gifts, per week", {
        "measures": ["orders.revenue"],
        "time_dimensions": [{"dimension": "orders.created_at", "granularity": "week"}],
        "segments": ["orders.large", "orders.mobile"],
        "filters": [{"member": "orders.is_gift", "operator": "equals", "values": ["false"]}],
        "order": [{"id": "orders.created_at"}],
    }),
    ("Customers who spent more than 300, and whose orders were paid or refunded", {
        "measures": ["orders.revenue"],
        "dimensions": ["orders.customer_id"],
        "filters": [
            {"member": "orders.revenue", "operator": "gt", "values": ["300"]},
            {"member": "orders.status", "operator": "equals", "values": ["paid", "refunded"]},
        ],
        "order": [{"id": "orders.revenue", "desc": True}],
    }),
]


def load_views():
    return [path.read_text() for path in sorted(SHOP.glob("*.view.yml"))]


def open_database():
    import duckdb

    connection = duckdb.connect()
    csv = str(SHOP / "orders.csv")
    connection.execute(f"CREATE TABLE orders AS SELECT * FROM read_csv_auto('{csv}')")
    return connection


def main():
    dialect = sys.argv[1] if len(sys.argv) > 1 else "duckdb"
    views = load_views()
    connection = open_database() if dialect == "duckdb" else None
    for title, query in QUESTIONS:
        result = orvane.compile(views, json.dumps(query), dialect)
        print(f"== {title}")
        print(result["sql"])
        print(f"-- params: {result['params']}")
        if connection is not None:
            rows = connection.execute(result["sql"], result["params"]).fetchall()
            print(" | ".join(column["member"] for column in result["columns"]))
            for row in rows:
                print(" | ".join(str(value) for value in row))
        print()


if __name__ == "__main__":
    main()

"""Single-view statements: the shape of the SELECT, its columns, grouping, ordering and paging,
FROM sources, subquery dimensions, and the messages of the generator entry."""
import json
import re

import orvane
import pytest

ORDERS = """
name: orders
table: analytics.orders
entities:
  - {name: order, type: primary, key: id}
  - {name: customer, type: foreign, key: customer_id}
dimensions:
  - {name: id, type: number, expr: id}
  - {name: customer_id, type: number, expr: customer_id}
  - {name: status, type: string, expr: status}
  - {name: amount, type: number, expr: amount}
  - {name: created_at, type: datetime, expr: created_at}
measures:
  - {name: count, type: count}
  - {name: revenue, type: sum, expr: amount}
segments:
  - {name: large, expr: amount > 100}
"""

CUSTOMERS = """
name: customers
table: customers
entities:
  - {name: customer, type: primary, key: id}
dimensions:
  - {name: id, type: number, expr: id}
  - {name: region, type: string, expr: region}
  - {name: order_count, type: number, expr: "{{ orders.count }}", sub_query: true}
measures:
  - {name: count, type: count}
"""

DIALECTS = ["postgres", "mysql", "bigquery", "snowflake", "duckdb", "clickhouse", "databricks",
            "redshift", "sqlite", "domo", "presto"]


def compile_query(query, dialect="postgres", views=(ORDERS,)):
    return orvane.compile(list(views), json.dumps(query), dialect)


def ident(dialect, name):
    if dialect in ("mysql", "databricks", "domo", "bigquery"):
        return f"`{name}`"
    if dialect == "snowflake":
        return f'"{name.upper()}"'
    return f'"{name}"'


MONTH_TRUNCATION = {
    "postgres": "date_trunc('month', {})", "duckdb": "date_trunc('month', {})",
    "databricks": "date_trunc('month', {})", "redshift": "date_trunc('month', {})",
    "sqlite": "date_trunc('month', {})", "snowflake": "DATE_TRUNC('month', {})",
    "presto": "DATE_TRUNC('month', {})", "bigquery": "TIMESTAMP_TRUNC({}, MONTH)",
    "mysql": "DATE_FORMAT({}, '%Y-%m-01')", "domo": "DATE_FORMAT({}, '%Y-%m-01')",
    "clickhouse": "toStartOfMonth({})",
}
FIRST_PLACEHOLDER = {"postgres": "$1", "duckdb": "$1", "clickhouse": "$1", "redshift": "$1",
                     "bigquery": "@p0"}

MAIN_QUERY = {
    "measures": ["orders.revenue"],
    "time_dimensions": [{"dimension": "orders.created_at", "granularity": "month"}],
    "dimensions": ["orders.status"],
    "filters": [{"member": "orders.status", "operator": "notEquals", "values": ["cancelled"]}],
    "order": [{"id": "orders.revenue", "desc": True}],
    "limit": 5,
    "offset": 10,
}


def test_main_shape_postgres():
    result = compile_query(MAIN_QUERY)
    assert result["sql"] == (
        'SELECT\n'
        '  "orders"."status" AS "orders__status",\n'
        '  date_trunc(\'month\', "orders"."created_at") AS "orders__created_at__month",\n'
        '  SUM("orders"."amount") AS "orders__revenue"\n'
        'FROM\n'
        '  analytics.orders AS "orders"\n'
        'WHERE\n'
        '  "orders"."status" <> $1\n'
        'GROUP BY\n'
        '  1, 2\n'
        'ORDER BY\n'
        '  "orders__revenue" DESC\n'
        'LIMIT 5\n'
        'OFFSET 10')
    assert result["params"] == ["cancelled"]
    assert result["default_limit_applied"] is False
    assert result["columns"] == [
        {"member": "orders.status", "alias": "orders__status", "kind": "Dimension"},
        {"member": "orders.created_at.month", "alias": "orders__created_at__month",
         "kind": "TimeDimension"},
        {"member": "orders.revenue", "alias": "orders__revenue", "kind": "Measure"},
    ]


@pytest.mark.parametrize("dialect", DIALECTS)
def test_main_shape_in_every_dialect(dialect):
    q = lambda name: ident(dialect, name)  # noqa: E731
    created = f"{q('orders')}.{q('created_at')}"
    expected = (
        "SELECT\n"
        f"  {q('orders')}.{q('status')} AS {q('orders__status')},\n"
        f"  {MONTH_TRUNCATION[dialect].format(created)} AS {q('orders__created_at__month')},\n"
        f"  SUM({q('orders')}.{q('amount')}) AS {q('orders__revenue')}\n"
        "FROM\n"
        f"  analytics.orders AS {q('orders')}\n"
        "WHERE\n"
        f"  {q('orders')}.{q('status')} <> {FIRST_PLACEHOLDER.get(dialect, '?')}\n"
        "GROUP BY\n"
        "  1, 2\n"
        "ORDER BY\n"
        f"  {q('orders__revenue')} DESC\n"
        "LIMIT 5\n"
        "OFFSET 10")
    result = compile_query(MAIN_QUERY, dialect)
    assert result["sql"] == expected
    assert result["params"] == ["cancelled"]


def test_columns_follow_dimensions_then_time_dimensions_then_measures():
    result = compile_query({
        "measures": ["orders.count"],
        "time_dimensions": [{"dimension": "orders.created_at", "granularity": "day"}],
        "dimensions": ["orders.status", "orders.id"],
    })
    assert [c["kind"] for c in result["columns"]] == [
        "Dimension", "Dimension", "TimeDimension", "Measure"]
    assert "GROUP BY\n  1, 2, 3\n" in result["sql"]


@pytest.mark.parametrize("query, grouped", [
    ({"dimensions": ["orders.status"]}, False),
    ({"measures": ["orders.count"]}, False),
    ({"dimensions": ["orders.status"], "measures": ["orders.count"]}, True),
    ({"dimensions": ["orders.status"], "measures": ["orders.count"], "ungrouped": True}, False),
])
def test_group_by_needs_a_grouping_column_and_an_aggregate(query, grouped):
    sql = compile_query(query)["sql"]
    assert ("GROUP BY" in sql) is grouped
    assert "DISTINCT" not in sql


def test_default_limit_closes_the_statement_and_offset_follows():
    result = compile_query({"measures": ["orders.count"], "offset": 3})
    assert result["sql"].endswith("\nLIMIT 10000\nOFFSET 3")
    assert result["default_limit_applied"] is True


@pytest.mark.parametrize("order_id, expected", [
    ("orders.created_at.month", '"orders__created_at__month" ASC'),
    ("orders.created_at", '"orders__created_at__month" ASC'),
    ("orders.count", '"orders__count" ASC'),
])
def test_order_by_projected_columns(order_id, expected):
    sql = compile_query({
        "measures": ["orders.count"],
        "time_dimensions": [{"dimension": "orders.created_at", "granularity": "month"}],
        "order": [{"id": order_id}],
    })["sql"]
    assert f"\nORDER BY\n  {expected}\n" in sql


def test_segment_is_a_where_condition_after_the_filters():
    sql = compile_query({
        "measures": ["orders.count"],
        "segments": ["orders.large"],
        "filters": [{"member": "orders.status", "operator": "set"}],
    })["sql"]
    assert '\nWHERE\n  "orders"."status" IS NOT NULL\n  AND "orders"."amount" > 100\n' in sql


def test_date_range_condition_follows_filter_values():
    result = compile_query({
        "measures": ["orders.count"],
        "time_dimensions": [{"dimension": "orders.created_at",
                             "date_range": ["2024-01-01", "2024-01-31"]}],
        "filters": [{"member": "orders.status", "operator": "equals", "values": ["paid"]}],
    })
    assert result["sql"] == (
        'SELECT\n  COUNT(*) AS "orders__count"\nFROM\n  analytics.orders AS "orders"\n'
        'WHERE\n  "orders"."status" = $1\n'
        '  AND "orders"."created_at" >= $2 AND "orders"."created_at" <= $3\nLIMIT 10000')
    assert result["params"] == ["paid", "2024-01-01", "2024-01-31"]
    assert [c["member"] for c in result["columns"]] == ["orders.count"]


@pytest.mark.parametrize("source, expected", [
    ("table: analytics.orders", "analytics.orders"),
    ("table: 2024.orders", '"2024".orders'),
    ("table: my-db.orders", '"my-db".orders'),
    ("table: '`proj.ds.orders`'", "`proj.ds.orders`"),
    ('table: \'"Orders"\'', '"Orders"'),
    ("sql: SELECT * FROM raw_orders", "(\n  SELECT * FROM raw_orders\n)"),
])
def test_from_source(source, expected):
    view = f"name: orders\n{source}\nmeasures:\n  - {{name: count, type: count}}\n"
    sql = compile_query({"measures": ["orders.count"]}, views=[view])["sql"]
    assert f"\nFROM\n  {expected} AS \"orders\"\n" in sql


def test_subquery_dimension_correlates_along_the_relationship():
    result = compile_query({"dimensions": ["customers.region", "customers.order_count"]},
                           views=[ORDERS, CUSTOMERS])
    assert result["sql"] == (
        'SELECT\n'
        '  "customers"."region" AS "customers__region",\n'
        '  (SELECT COUNT(*) FROM analytics.orders AS "orders" '
        'WHERE "orders"."customer_id" = "customers"."id") AS "customers__order_count"\n'
        'FROM\n  customers AS "customers"\nLIMIT 10000')


def test_subquery_dimension_without_relationship_is_a_join_error():
    lonely = ORDERS.replace("  - {name: customer, type: foreign, key: customer_id}\n", "")
    with pytest.raises(ValueError, match=r"^Join error: No join path found between 'customers' "
                                         r"and 'orders' for subquery dimension$"):
        compile_query({"dimensions": ["customers.order_count"]}, views=[lonely, CUSTOMERS])


def test_member_referring_to_another_view_joins_it():
    view = ORDERS + "  - {name: regional, type: count_distinct, expr: \"{{ customers.region }}\"}\n"
    view = view.replace("segments:\n  - {name: large, expr: amount > 100}\n", "")
    view = view + "segments:\n  - {name: large, expr: amount > 100}\n"
    sql = compile_query({"measures": ["orders.regional"]}, views=[view, CUSTOMERS])["sql"]
    assert sql == (
        'SELECT\n  COUNT(DISTINCT ("customers"."region")) AS "orders__regional"\n'
        'FROM\n  analytics.orders AS "orders"\n'
        'LEFT JOIN customers AS "customers" ON "orders"."customer_id" = "customers"."id"\n'
        'LIMIT 10000')


def test_measure_on_a_multiplied_view_is_refused_until_multi_fact_exists():
    with pytest.raises(ValueError, match=r"^SQL generation error: measure 'customers.count' is "
                                         r"on view 'customers', whose rows the joins"):
        compile_query({"measures": ["customers.count"], "dimensions": ["orders.status"]},
                      views=[ORDERS, CUSTOMERS])


SHIFTED = ORDERS.replace("measures:\n", """measures:
  - {name: revenue_last_month, shift: {measure: revenue, by: 1 month}}
  - {name: growth, type: number, expr: "{{ orders.revenue }} - {{ orders.revenue_last_month }}"}
""")


@pytest.mark.parametrize("query, message", [
    ({}, "Query error: Query must reference at least one view"),
    ({"measures": ["orders"]},
     "Query error: Invalid member path: 'orders'. Expected format: 'view.member'"),
    ({"measures": ["orders.status"]}, "Query error: Measure 'status' not found in view 'orders'"),
    ({"dimensions": ["orders.count"]}, "Query error: Dimension 'count' not found in view 'orders'"),
    ({"time_dimensions": [{"dimension": "orders.when", "granularity": "day"}]},
     "Query error: Time dimension 'when' not found in view 'orders'"),
    ({"segments": ["orders.small"]}, "Query error: Segment 'small' not found in view 'orders'"),
    ({"dimensions": ["orders.status"], "order": [{"id": "orders.count"}]},
     "Query error: order field 'orders.count' is not projected by this query"),
    ({"time_dimensions": [{"dimension": "orders.created_at"}]},
     "Query error: Time dimension 'orders.created_at' has neither a granularity nor a "
     "date_range, so it would not affect the query at all. Set a granularity to group by it, set "
     "a date_range to filter by it, or drop it -- otherwise the result is an unscoped aggregate "
     "that reads like a scoped one."),
    ({"measures": ["orders.count"], "motif": "yoy"},
     "SQL generation error: motifs are not supported yet: the query names motif 'yoy', which "
     "this version cannot compile"),
])
def test_entry_messages(query, message):
    with pytest.raises(ValueError) as error:
        compile_query(query)
    assert str(error.value) == message


@pytest.mark.parametrize("query", [
    {"segments": ["orders.large"]},
    {"filters": [{"member": "orders.status", "operator": "set"}]},
    {"time_dimensions": [{"dimension": "orders.created_at",
                          "date_range": ["2024-01-01", "2024-01-31"]}]},
])
def test_query_that_projects_nothing_is_refused(query):
    with pytest.raises(ValueError, match=r"^Query error: Query selects no columns"):
        compile_query(query)


@pytest.mark.parametrize("measure", ["orders.revenue_last_month", "orders.growth"])
def test_shift_measures_fail_honestly(measure):
    with pytest.raises(ValueError, match=r"^SQL generation error: shift measures are not "
                                         r"supported yet: measure '" + measure):
        compile_query({"measures": ["orders.count", measure]}, views=[SHIFTED])


OWNED = """
name: orders
table: orders
entities:
  - {name: customer, type: foreign, key: customer_id}
dimensions:
  - {name: customer_id, type: number, expr: customer_id}
  - {name: owner, type: number, expr: "{{ customer.id }}"}
"""


def owner_view(name):
    return f"""
name: {name}
table: {name}
entities:
  - {{name: customer, type: primary, key: id}}
dimensions:
  - {{name: id, type: number, expr: id}}
"""


@pytest.mark.parametrize("dimensions, sql", [
    (["orders.owner"],
     'SELECT\n  "accounts"."id" AS "orders__owner"\nFROM\n  orders AS "orders"\n'
     'LEFT JOIN accounts AS "accounts" ON "orders"."customer_id" = "accounts"."id"\nLIMIT 10000'),
    (["orders.owner", "clients.id"],
     'SELECT\n  "clients"."id" AS "orders__owner",\n  "clients"."id" AS "clients__id"\n'
     'FROM\n  clients AS "clients"\n'
     'LEFT JOIN orders AS "orders" ON "clients"."id" = "orders"."customer_id"\nLIMIT 10000'),
])
def test_entity_reference_joins_the_first_owner_unless_one_is_required(dimensions, sql):
    result = compile_query({"dimensions": dimensions},
                           views=[OWNED, owner_view("clients"), owner_view("accounts")])
    assert result["sql"] == sql


def test_filter_on_a_subquery_dimension_uses_the_subquery():
    result = compile_query({"dimensions": ["customers.region"], "filters": [
        {"member": "customers.order_count", "operator": "gt", "values": ["2"]}]},
        views=[ORDERS, CUSTOMERS])
    assert '\nWHERE\n  (SELECT COUNT(*) FROM analytics.orders AS "orders" WHERE ' \
           '"orders"."customer_id" = "customers"."id") > $1\n' in result["sql"]
    assert result["params"] == ["2"]


def test_subquery_dimension_over_a_keyless_entity_is_a_join_error():
    keyless_orders = ORDERS.replace("{name: customer, type: foreign, key: customer_id}",
                                    "{name: customer, type: foreign}")
    keyless_customers = CUSTOMERS.replace("{name: customer, type: primary, key: id}",
                                          "{name: customer, type: primary}")
    with pytest.raises(ValueError, match=r"^Join error: Cannot join 'customers' to 'orders' "
                                         r"through entity 'customer': it has no key columns"):
        compile_query({"dimensions": ["customers.order_count"]},
                      views=[keyless_orders, keyless_customers])


@pytest.mark.parametrize("expr, error", [
    ("{{ orders.count }}", None),
    ("{{orders.count\t}}", None),
    ("orders.count", None),
    (" orders.count ", "' orders.count '"),
    ("  {{ orders.count }}", "'  {{ orders.count }}'"),
])
def test_subquery_dimension_reads_its_measure_path(expr, error):
    customers = CUSTOMERS.replace('"{{ orders.count }}"', json.dumps(expr))
    query = {"dimensions": ["customers.order_count"]}
    if error:
        with pytest.raises(ValueError, match="^Query error: Subquery dimension references measure " +
                           re.escape(error) + " which was not found$"):
            compile_query(query, views=[ORDERS, customers])
    else:
        assert compile_query(query, views=[ORDERS, customers])["sql"].startswith(
            'SELECT\n  (SELECT COUNT(*) FROM analytics.orders AS "orders" WHERE ')

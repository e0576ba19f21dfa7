"""Member expression templates: references, column qualification, nesting depth, and the rules of
measure aggregation, all observed through compiled SQL."""
import json
import time

import orvane
import pytest


def orders_view(extra_dimensions="", extra_measures=""):
    return f"""
name: orders
table: orders
entities:
  - {{name: order, type: primary, key: id}}
  - {{name: customer, type: foreign, key: customer_id}}
dimensions:
  - {{name: id, type: number, expr: id}}
  - {{name: customer_id, type: number, expr: customer_id}}
  - {{name: status, type: string, expr: status}}
  - {{name: amount, type: number, expr: amount}}
  - {{name: t, type: string, expr: t}}
  - {{name: größe, type: number, expr: größe}}
{extra_dimensions}
measures:
  - {{name: count, type: count}}
  - {{name: revenue, type: sum, expr: amount}}
{extra_measures}
"""


CUSTOMERS = """
name: customers
table: customers
entities:
  - {name: customer, type: primary, key: id}
dimensions:
  - {name: id, type: number, expr: id}
  - {name: name, type: string, expr: "UPPER(name)"}
"""


def dimension_sql(expr, dialect="postgres", views=()):
    view = orders_view(f"  - {{name: probe, type: string, expr: {json.dumps(expr)}}}")
    result = orvane.compile([view, *views], '{"dimensions": ["orders.probe"]}', dialect)
    first_line = result["sql"].split("\n")[1]
    return first_line[2:first_line.rindex(" AS ")]


@pytest.mark.parametrize("expr, expected", [
    ("status", '"orders"."status"'),
    ("  status ", '"orders"."  status "'),
    ("amount * 2", '"orders"."amount" * 2'),
    ("quantity * 2", "quantity * 2"),
    ("SUM(amount) + t.amount", 'SUM("orders"."amount") + "orders"."t".amount'),
    ("COALESCE(status, 'status')", "COALESCE(\"orders\".\"status\", 'status')"),
    ("'it''s' || status", "'it''s' || \"orders\".\"status\""),
    ('"Amount" + x."y"', '"orders"."Amount" + x."y"'),
    ("`amount` + 1", '"orders"."amount" + 1'),
    ("größe / 2", '"orders"."größe" / 2'),
    ("1+amount", '1+"orders"."amount"'),
    ("{{ TABLE }}.amount + amount", '"orders".amount + amount'),
    ("{{\u3000TABLE\u00a0}}.amount", '"orders".amount'),
    ("{{ status }} || '-'", "(\"orders\".\"status\") || '-'"),
    ("{{ revenue }} * 2", '(SUM("orders"."amount")) * 2'),
    ("{{ orders.amount }} + amount", '("orders"."amount") + amount'),
    ("{{ customers.name }}", '(UPPER("customers"."name"))'),
    ("{{ order.id }}", '"orders"."id"'),
    ("{{ variables.region }} = status", "{{variables.region}} = status"),
    ("{{variables.region}}", "{{variables.region}}"),
    ("status || '{{ variables.x }}'", "status || '{{variables.x}}'"),
])
def test_rendering(expr, expected):
    assert dimension_sql(expr, views=[CUSTOMERS] if "customers" in expr else ()) == expected


def test_snowflake_upper_cases_every_quoted_name():
    assert dimension_sql("status || {{ TABLE }}.x", "snowflake") == 'status || "ORDERS".x'
    assert dimension_sql("amount", "snowflake") == '"ORDERS"."AMOUNT"'


@pytest.mark.parametrize("expr, reference", [
    ("{{ nobody.field }}", "nobody.field"),
    ("{{ segment_name }}", "segment_name"),
    ("{{ orders.nothing }} + 1", "orders.nothing"),
])
def test_unresolved_references_fail_the_final_check(expr, reference):
    with pytest.raises(ValueError, match=r"^SQL generation error: unresolved reference `\{\{ "
                                         + reference.replace(".", r"\.") + r" \}\}`"):
        dimension_sql(expr)


def test_mutually_referring_dimensions_stop_at_the_depth_limit():
    view = orders_view('  - {name: x, type: string, expr: "{{ orders.y }}"}\n'
                       '  - {name: y, type: string, expr: "{{ orders.x }}"}')
    with pytest.raises(ValueError, match=r"unresolved reference `\{\{ orders\.[xy] \}\}`"):
        orvane.compile([view], '{"dimensions": ["orders.x"]}', "postgres")


def test_self_reference_that_doubles_each_level_is_refused_quickly():
    view = orders_view('  - {name: x, type: string, expr: "{{ orders.x }} + {{ x }}"}')
    started = time.perf_counter()
    with pytest.raises(ValueError, match=r"^SQL generation error: member expressions expand "
                                         r"without bound"):
        orvane.compile([view], '{"dimensions": ["orders.x"]}', "postgres")
    assert time.perf_counter() - started < 5


def test_rendering_is_linear_in_the_expression_length():
    pieces = ["{{ amount }}", "{{ TABLE }}.a", "{{{{", "{{ variables.", "status", "'s'", "{{ x.",
              '"q"', "f(amount)"]
    expr = " + ".join(pieces * 8000)
    started = time.perf_counter()
    dimension_sql(expr)
    assert time.perf_counter() - started < 5


MEASURES = """
  - {name: paid_count, type: count, filters: [{expr: "status = 'paid'"}]}
  - {name: paid_revenue, type: sum, expr: amount, filters: [{expr: "status = 'paid'"}, {expr: t}]}
  - {name: paid_average, type: average, expr: amount, filters: [{expr: "status = 'paid'"}]}
  - {name: smallest, type: min, expr: amount}
  - {name: largest, type: max, expr: amount}
  - {name: buyers, type: count_distinct, expr: id}
  - {name: buyers_approx, type: count_distinct_approx, expr: id}
  - {name: middle, type: median, expr: amount}
  - {name: ratio, type: custom, expr: "{{ revenue }} / NULLIF({{ count }}, 0)",
     filters: [{expr: ignored}]}
  - {name: per_order, type: number, expr: "{{ orders.revenue }} / 2"}
  - {name: rolling, type: sum, expr: amount, rolling_window: {trailing: 7 days}}
  - {name: running, type: count, rolling_window: {}}
  - {name: loose, type: max, expr: amount, rolling_window: {trailing: last week, leading: 2 rows}}
  - {name: ahead, type: sum, expr: amount, filters: [{expr: t}],
     rolling_window: {trailing: current row, leading: unbounded}}
  - {name: trailing_ratio, type: number, expr: "{{ revenue }}", rolling_window: {trailing: " 03 days "}}
"""


@pytest.mark.parametrize("measure, dialect, expected", [
    ("count", "postgres", "COUNT(*)"),
    ("paid_count", "postgres", "COUNT(CASE WHEN \"orders\".\"status\" = 'paid' THEN 1 END)"),
    ("paid_revenue", "postgres", "COALESCE(SUM(CASE WHEN \"orders\".\"status\" = 'paid' AND "
                                 "\"orders\".\"t\" THEN \"orders\".\"amount\" END), 0)"),
    ("paid_average", "postgres",
     "AVG(CASE WHEN \"orders\".\"status\" = 'paid' THEN \"orders\".\"amount\" END)"),
    ("smallest", "postgres", 'MIN("orders"."amount")'),
    ("largest", "postgres", 'MAX("orders"."amount")'),
    ("buyers", "postgres", 'COUNT(DISTINCT "orders"."id")'),
    ("buyers_approx", "postgres", 'COUNT(DISTINCT "orders"."id")'),
    ("buyers_approx", "bigquery", "APPROX_COUNT_DISTINCT(`orders`.`id`)"),
    ("middle", "mysql", "PERCENTILE_CONT(0.5) WITHIN GROUP (ORDER BY `orders`.`amount`)"),
    ("ratio", "postgres", '(SUM("orders"."amount")) / NULLIF((COUNT(*)), 0)'),
    ("per_order", "postgres", '(SUM("orders"."amount")) / 2'),
    ("rolling", "postgres",
     'SUM("orders"."amount") OVER (ORDER BY 1 ROWS BETWEEN 7 PRECEDING AND CURRENT ROW)'),
    ("running", "postgres",
     "COUNT(*) OVER (ORDER BY 1 ROWS BETWEEN UNBOUNDED PRECEDING AND CURRENT ROW)"),
    ("loose", "postgres", 'MAX("orders"."amount") OVER (ORDER BY 1 ROWS BETWEEN last week '
                          "PRECEDING AND 2 FOLLOWING)"),
    ("ahead", "postgres", 'COALESCE(SUM(CASE WHEN "orders"."t" THEN "orders"."amount" END) OVER '
                          "(ORDER BY 1 ROWS BETWEEN CURRENT ROW AND UNBOUNDED FOLLOWING), 0)"),
    ("trailing_ratio", "postgres", '(SUM("orders"."amount")) OVER (ORDER BY 1 ROWS BETWEEN 3 '
                                   "PRECEDING AND CURRENT ROW)"),
])
def test_measure_aggregation(measure, dialect, expected):
    view = orders_view(extra_measures=MEASURES)
    sql = orvane.compile([view], json.dumps({"measures": [f"orders.{measure}"]}), dialect)["sql"]
    assert sql.split("\n")[1].startswith(f"  {expected} AS ")

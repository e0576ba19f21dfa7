"""Semantic queries over the shop dataset, each with its answer computed in plain Python.

The answers never go through SQL: they are loops and dictionaries over the generated rows,
so a wrong statement cannot agree with them by accident.
"""

from __future__ import annotations

import datetime as dt
import statistics
from dataclasses import dataclass, field
from decimal import Decimal
from typing import Callable
from zoneinfo import ZoneInfo

from engine_data import Table

# ---------------------------------------------------------------------------------------
# Helpers for the answers.


def group(rows, key):
    """Rows grouped by key(row), a tuple; insertion order kept."""
    groups: dict[tuple, list] = {}
    for row in rows:
        groups.setdefault(key(row), []).append(row)
    return groups


def answer(rows, key, *measures):
    """One output row per group: the key values followed by each measure of the group."""
    return [k + tuple(m(g) for m in measures) for k, g in group(rows, key).items()]


def count(rows):
    return len(rows)


def total(column, where=None):
    def measure(rows):
        picked = [r[column] for r in rows if r[column] is not None and (where is None or where(r))]
        if where is not None:
            return sum(picked) if picked else 0  # filtered sums are never NULL
        return sum(picked) if picked else None
    return measure


def mean(column):
    def measure(rows):
        values = [r[column] for r in rows if r[column] is not None]
        return sum(values) / len(values) if values else None
    return measure


def smallest(column):
    return lambda rows: min((r[column] for r in rows if r[column] is not None), default=None)


def largest(column):
    return lambda rows: max((r[column] for r in rows if r[column] is not None), default=None)


def distinct(column):
    return lambda rows: len({r[column] for r in rows if r[column] is not None})


def median(column):
    def measure(rows):
        values = [r[column] for r in rows if r[column] is not None]
        return statistics.median(values) if values else None
    return measure


def counted(where):
    return lambda rows: sum(1 for r in rows if where(r))


def day(value: dt.datetime | dt.date) -> dt.date:
    return value.date() if isinstance(value, dt.datetime) else value


def truncate(value, granularity: str) -> dt.date:
    """Start of the calendar bucket; weeks start on Monday."""
    d = day(value)
    if granularity == "year":
        return dt.date(d.year, 1, 1)
    if granularity == "quarter":
        return dt.date(d.year, 3 * ((d.month - 1) // 3) + 1, 1)
    if granularity == "month":
        return dt.date(d.year, d.month, 1)
    if granularity == "week":
        return d - dt.timedelta(days=d.weekday())
    return d


def local_time(value: dt.datetime, zone: str) -> dt.datetime:
    """A UTC wall-clock timestamp seen in another zone, as a wall-clock timestamp."""
    return value.replace(tzinfo=dt.timezone.utc).astimezone(ZoneInfo(zone)).replace(tzinfo=None)


def at_midnight(text: str) -> dt.datetime:
    """A date bound compared with a timestamp reads as midnight of that day."""
    return dt.datetime.fromisoformat(text)


def between(value: dt.datetime, low: str, high: str) -> bool:
    return at_midnight(low) <= value <= at_midnight(high)


# ---------------------------------------------------------------------------------------
# The cases.


@dataclass
class Case:
    id: str
    shape: str  # the query shape, as the compatibility table names it
    query: dict
    expected: Callable[[dict[str, Table]], list[tuple]]
    ordered: bool = False  # compare in the engine's order instead of sorting both sides
    joins: bool = False
    # Known disagreements, by engine dialect: (kind, why). kind "error": the engine rejects
    # the statement; "wrong": it runs but answers differently from the truth; "fault": the
    # compiler's statement is wrong on every engine.
    known: dict[str, tuple[str, str]] = field(default_factory=dict)
    tolerance: float = 1e-6  # relative, for floating-point cells


NO_DATE_TRUNC = ("error", "SQLite has no date_trunc function: 'no such function: date_trunc'")
SUNDAY_WEEKS = ("wrong", "the mysql week bucket DATE(DATE_SUB(E, INTERVAL DAYOFWEEK(E) - 1 DAY)) "
                "starts weeks on Sunday; weeks start on Monday")


def orders(data):
    return data["orders"].rows


def customers(data):
    return data["customers"].rows


def items(data):
    return data["order_items"].rows


def orders_per_customer(data):
    counts: dict = {}
    for o in orders(data):
        counts[o["customer_id"]] = counts.get(o["customer_id"], 0) + 1
    return counts


CASES: list[Case] = [
    Case("count_by_status", "count grouped by a string dimension",
         {"measures": ["orders.count"], "dimensions": ["orders.status"]},
         lambda d: answer(orders(d), lambda r: (r["status"],), count)),
    Case("aggregates_by_nullable_channel", "sum, average, min, max; NULL group key",
         {"measures": ["orders.revenue", "orders.average_amount", "orders.smallest_amount",
                       "orders.largest_amount"], "dimensions": ["orders.channel"]},
         lambda d: answer(orders(d), lambda r: (r["channel"],), total("amount"),
                          mean("amount"), smallest("amount"), largest("amount"))),
    Case("distinct_buyers", "count_distinct",
         {"measures": ["orders.buyers"], "dimensions": ["orders.status"]},
         lambda d: answer(orders(d), lambda r: (r["status"],), distinct("customer_id"))),
    Case("approximate_buyers", "count_distinct_approx",
         {"measures": ["orders.approximate_buyers"], "dimensions": ["orders.channel"]},
         lambda d: answer(orders(d), lambda r: (r["channel"],), distinct("customer_id")),
         # An estimate: HyperLogLog counts may be off by a few per cent.
         tolerance=0.05,
         known={"redshift": ("error", "PostgreSQL has no APPROXIMATE COUNT(DISTINCT ...): "
                             "'syntax error at or near \"(\"'")}),
    Case("median_amount", "median",
         {"measures": ["orders.median_amount"], "dimensions": ["orders.status"]},
         lambda d: answer(orders(d), lambda r: (r["status"],), median("amount")),
         known={
             "duckdb": ("wrong", "DuckDB keeps PERCENTILE_CONT over DECIMAL(12,2) in that type, "
                        "so an interpolated median such as 250.085 comes back as 250.08"),
             "sqlite": ("error", "SQLite has no ordered-set aggregates: 'near \"(\": syntax error'"),
             "mysql": ("error", "MariaDB's PERCENTILE_CONT is a window function only: "
                       "'You have an error in your SQL syntax ... near 'AS `orders__median_amount`'"),
             "domo": ("error", "MariaDB's PERCENTILE_CONT is a window function only: "
                      "'You have an error in your SQL syntax ... near 'AS `orders__median_amount`'"),
             "clickhouse": ("error", "ClickHouse has no WITHIN GROUP: 'Syntax error ... Expected one "
                            "of: BY, end of query'"),
         }),
    Case("filtered_measures", "measures with filters (conditional aggregation)",
         {"measures": ["orders.completed_revenue", "orders.completed_count", "orders.count"],
          "dimensions": ["orders.channel"]},
         lambda d: answer(orders(d), lambda r: (r["channel"],),
                          total("amount", lambda r: r["status"] == "completed"),
                          counted(lambda r: r["status"] == "completed"), count)),
    Case("measure_of_measures", "number measure over other measures",
         {"measures": ["orders.revenue_per_order"], "dimensions": ["orders.status"]},
         lambda d: answer(orders(d), lambda r: (r["status"],),
                          lambda g: sum(r["amount"] for r in g) / len(g)),
         known={"clickhouse": ("wrong", "ClickHouse divides Decimal(38,2) by an integer in "
                               "Decimal(38,2), truncating 255.2198... to 255.21")}),
    Case("no_dimensions", "measures without dimensions",
         {"measures": ["orders.count", "orders.revenue"]},
         lambda d: [(len(orders(d)), sum(r["amount"] for r in orders(d)))]),
    Case("dimensions_only", "dimensions without measures (no grouping)",
         {"dimensions": ["orders.channel", "orders.status"]},
         lambda d: [(r["channel"], r["status"]) for r in orders(d)]),
    Case("filter_equals", "filter: equals one value",
         {"measures": ["orders.count", "orders.revenue"], "dimensions": ["orders.channel"],
          "filters": [{"member": "orders.status", "operator": "equals", "values": ["completed"]}]},
         lambda d: answer([r for r in orders(d) if r["status"] == "completed"],
                          lambda r: (r["channel"],), count, total("amount"))),
    Case("filter_in_and_not_in", "filter: equals/notEquals with several values",
         {"measures": ["orders.count"], "dimensions": ["orders.status", "orders.channel"],
          "filters": [{"member": "orders.status", "operator": "equals",
                       "values": ["pending", "cancelled", "returned"]},
                      {"member": "orders.channel", "operator": "notEquals",
                       "values": ["phone", "store"]}]},
         lambda d: answer([r for r in orders(d) if r["status"] in ("pending", "cancelled", "returned")
                           and r["channel"] is not None and r["channel"] not in ("phone", "store")],
                          lambda r: (r["status"], r["channel"]), count)),
    Case("filter_patterns_or_group", "filter: pattern operators inside an or/and group",
         {"measures": ["orders.count"], "dimensions": ["orders.status", "orders.channel"],
          "filters": [{"or": [
              {"member": "orders.channel", "operator": "startsWith", "values": ["ph"]},
              {"and": [{"member": "orders.status", "operator": "endsWith", "values": ["led"]},
                       {"member": "orders.status", "operator": "notContains", "values": ["x"]}]},
          ]}]},
         lambda d: answer([r for r in orders(d)
                           if (r["channel"] or "").startswith("ph")
                           or (r["status"].endswith("led") and "x" not in r["status"])],
                          lambda r: (r["status"], r["channel"]), count)),
    Case("filter_numeric_comparison", "filter: gt/lte on a numeric column (text parameter)",
         {"measures": ["orders.count", "orders.revenue"], "dimensions": ["orders.status"],
          "filters": [{"member": "orders.amount", "operator": "gt", "values": ["250"]},
                      {"member": "orders.amount", "operator": "lte", "values": ["400.5"]}]},
         lambda d: answer([r for r in orders(d) if 250 < r["amount"] <= 400.5],
                          lambda r: (r["status"],), count, total("amount"))),
    Case("filter_values_with_quotes", "filter values holding quotes and backslashes stay values",
         {"measures": ["customers.count"], "dimensions": ["customers.name"],
          "filters": [{"member": "customers.name", "operator": "equals",
                       "values": ["Customer 007", "x' OR 'a'='a", "y\\' OR 1=1 -- "]}]},
         lambda d: answer([c for c in customers(d) if c["name"] == "Customer 007"],
                          lambda c: (c["name"],), count)),
    Case("filter_set_and_not_set", "filter: set / notSet",
         {"measures": ["orders.count"], "dimensions": ["orders.status"],
          "filters": [{"member": "orders.channel", "operator": "notSet"}]},
         lambda d: answer([r for r in orders(d) if r["channel"] is None],
                          lambda r: (r["status"],), count)),
    Case("filter_boolean", "filter: boolean dimension equals true",
         {"measures": ["orders.count"], "dimensions": ["orders.channel"],
          "filters": [{"member": "orders.is_gift", "operator": "equals", "values": ["true"]}]},
         lambda d: answer([r for r in orders(d) if r["is_gift"]],
                          lambda r: (r["channel"],), count)),
    Case("filter_date_operators", "filter: inDateRange / notInDateRange / afterOrOnDate",
         {"measures": ["orders.count"], "dimensions": ["orders.status"],
          "filters": [{"member": "orders.created_at", "operator": "inDateRange",
                       "values": ["2024-02-01", "2024-09-30"]},
                      {"member": "orders.created_at", "operator": "notInDateRange",
                       "values": ["2024-04-01", "2024-04-30"]}]},
         lambda d: answer([r for r in orders(d) if between(r["created_at"], "2024-02-01", "2024-09-30")
                           and not between(r["created_at"], "2024-04-01", "2024-04-30")],
                          lambda r: (r["status"],), count)),
    Case("filter_on_the_date", "filter: onTheDate (next day bound)",
         {"measures": ["orders.count"], "dimensions": ["orders.channel"],
          "filters": [{"or": [
              {"member": "orders.created_at", "operator": "onTheDate", "values": ["2024-07-28"]},
              {"member": "orders.created_at", "operator": "onTheDate", "values": ["2024-12-31"]},
          ]}]},
         lambda d: answer([r for r in orders(d) if r["created_at"].date()
                           in (dt.date(2024, 7, 28), dt.date(2024, 12, 31))],
                          lambda r: (r["channel"],), count)),
    Case("measure_filter_having", "filter on a measure (HAVING, text parameter)",
         {"measures": ["orders.count", "orders.revenue"], "dimensions": ["orders.customer_id"],
          "filters": [{"member": "orders.count", "operator": "gte", "values": ["20"]}]},
         lambda d: [row for row in answer(orders(d), lambda r: (r["customer_id"],), count,
                                          total("amount")) if row[1] >= 20],
         known={"sqlite": ("wrong", "SQLite compares an aggregate with a text parameter as "
                           "text: COUNT(*) >= '20' is never true, so no group comes back")}),
    Case("measure_filter_before_dimension_filter",
         "a measure filter listed before a dimension filter (HAVING and WHERE values)",
         {"measures": ["orders.count"], "dimensions": ["orders.customer_id"],
          "filters": [{"member": "orders.count", "operator": "gte", "values": ["12"]},
                      {"member": "orders.status", "operator": "equals", "values": ["completed"]}]},
         lambda d: [row for row in answer([r for r in orders(d) if r["status"] == "completed"],
                                          lambda r: (r["customer_id"],), count) if row[1] >= 12],
         known={"sqlite": ("wrong", "SQLite compares an aggregate with a text parameter as "
                           "text: COUNT(*) >= '12' is never true, so no group comes back")}),
    Case("segments", "segments",
         {"measures": ["orders.count", "orders.revenue"], "dimensions": ["orders.channel"],
          "segments": ["orders.completed", "orders.large"]},
         lambda d: answer([r for r in orders(d) if r["status"] == "completed" and r["amount"] >= 250],
                          lambda r: (r["channel"],), count, total("amount"))),
    Case("month_with_date_range", "time dimension by month with a date range",
         {"measures": ["orders.count", "orders.revenue"],
          "time_dimensions": [{"dimension": "orders.created_at", "granularity": "month",
                               "date_range": ["2024-03-01", "2024-08-31"]}]},
         lambda d: answer([r for r in orders(d) if between(r["created_at"], "2024-03-01", "2024-08-31")],
                          lambda r: (truncate(r["created_at"], "month"),), count, total("amount"))),
    Case("granularities", "time dimension by year, quarter and day",
         {"measures": ["orders.count"],
          "time_dimensions": [{"dimension": "orders.created_at", "granularity": "year"},
                              {"dimension": "orders.created_at", "granularity": "quarter"},
                              {"dimension": "orders.created_at", "granularity": "day",
                               "date_range": ["2024-05-01", "2024-05-31"]}]},
         lambda d: answer([r for r in orders(d) if between(r["created_at"], "2024-05-01", "2024-05-31")],
                          lambda r: tuple(truncate(r["created_at"], g)
                                          for g in ("year", "quarter", "day")), count)),
    Case("week", "time dimension by week",
         {"measures": ["orders.count"],
          "time_dimensions": [{"dimension": "orders.created_at", "granularity": "week",
                               "date_range": ["2024-01-01", "2024-03-31"]}]},
         lambda d: answer([r for r in orders(d) if between(r["created_at"], "2024-01-01", "2024-03-31")],
                          lambda r: (truncate(r["created_at"], "week"),), count)),
    Case("date_range_only", "time dimension with a date range and no granularity",
         {"measures": ["orders.count"], "dimensions": ["orders.status"],
          "time_dimensions": [{"dimension": "orders.created_at",
                               "date_range": ["2025-01-01", "2025-03-31"]}]},
         lambda d: answer([r for r in orders(d) if between(r["created_at"], "2025-01-01", "2025-03-31")],
                          lambda r: (r["status"],), count)),
    Case("time_zone", "time dimension converted to a named time zone",
         {"measures": ["orders.count"], "timezone": "America/New_York",
          "time_dimensions": [{"dimension": "orders.created_at", "granularity": "day",
                               "date_range": ["2024-03-01", "2024-03-31"]}]},
         lambda d: answer([r for r in orders(d)
                           if between(local_time(r["created_at"], "America/New_York"),
                                      "2024-03-01", "2024-03-31")],
                          lambda r: (local_time(r["created_at"], "America/New_York").date(),), count),
         known={"domo": ("wrong", "the domo dialect leaves timestamps unconverted, so days are "
                         "cut in UTC instead of America/New_York")}),
    Case("order_limit_offset", "ORDER BY a measure with LIMIT and OFFSET",
         {"measures": ["orders.revenue"], "dimensions": ["orders.customer_id"],
          "order": [{"id": "orders.revenue", "desc": True}], "limit": 5, "offset": 3},
         lambda d: sorted(answer(orders(d), lambda r: (r["customer_id"],), total("amount")),
                          key=lambda row: -row[1])[3:8],
         ordered=True),
    Case("order_by_time_dimension", "ORDER BY a time dimension path",
         {"measures": ["orders.count"],
          "time_dimensions": [{"dimension": "orders.created_at", "granularity": "quarter"}],
          "order": [{"id": "orders.created_at"}]},
         lambda d: sorted(answer(orders(d), lambda r: (truncate(r["created_at"], "quarter"),), count)),
         ordered=True),
    Case("customers_nullable_segment", "NULL keys and a boolean segment on another table",
         {"measures": ["customers.count"], "dimensions": ["customers.segment"],
          "segments": ["customers.vip"]},
         lambda d: answer([r for r in customers(d) if r["is_vip"]],
                          lambda r: (r["segment"],), count)),
    Case("subquery_dimension_grouped", "a sub_query dimension (correlated subquery) as a group key",
         {"measures": ["customers.count"], "dimensions": ["customers.order_count"]},
         lambda d: answer(customers(d), lambda c: (orders_per_customer(d).get(c["id"], 0),), count),
         known={"clickhouse": ("error", "ClickHouse: 'Correlated subqueries in aggregation keys "
                               "are not supported. (NOT_IMPLEMENTED)'")}),
    Case("subquery_dimension_listed", "a sub_query dimension beside a plain one, no measures",
         {"dimensions": ["customers.name", "customers.order_count"]},
         lambda d: [(c["name"], orders_per_customer(d).get(c["id"], 0)) for c in customers(d)],
         known={"clickhouse": ("wrong", "ClickHouse answers the correlated COUNT(*) with NULL, "
                               "not 0, for a customer without orders")}),
    Case("date_dimension_by_quarter", "a date (not timestamp) column by quarter",
         {"measures": ["customers.count"],
          "time_dimensions": [{"dimension": "customers.signup_date", "granularity": "quarter"}]},
         lambda d: answer(customers(d), lambda r: (truncate(r["signup_date"], "quarter"),), count)),
    Case("expression_measure", "sum of an expression over two columns",
         {"measures": ["order_items.line_total", "order_items.units"],
          "dimensions": ["order_items.category"]},
         lambda d: answer(items(d), lambda r: (r["category"],),
                          lambda g: sum(r["quantity"] * r["unit_price"] for r in g),
                          total("quantity"))),
]


# Known for every case that buckets time: SQLite cannot run the bucket at all, and the mysql
# and domo week bucket starts on the wrong day.
for _case in CASES:
    _grains = [t.get("granularity") for t in _case.query.get("time_dimensions", [])]
    if any(_grains):
        _case.known.setdefault("sqlite", NO_DATE_TRUNC)
    if "week" in _grains:
        _case.known.setdefault("mysql", SUNDAY_WEEKS)
        _case.known.setdefault("domo", SUNDAY_WEEKS)


def customer_of(data):
    return {c["id"]: c for c in customers(data)}


def region_name(data):
    names = {r["id"]: r["name"] for r in data["regions"].rows}
    return lambda customer: names.get(customer["region_id"])


def order_of(data):
    return {o["id"]: o for o in orders(data)}


def customers_by_status(data):
    """Distinct customers per order status; customers who never ordered under NULL."""
    seen: dict = {}
    for o in orders(data):
        seen.setdefault(o["status"], set()).add(o["customer_id"])
    buyers = {o["customer_id"] for o in orders(data)}
    silent = [c for c in customers(data) if c["id"] not in buyers]
    rows = [(status, len(ids)) for status, ids in seen.items()]
    return rows + ([(None, len(silent))] if silent else [])


def customers_and_revenue_by_segment(data):
    revenue: dict = {}
    by_id = customer_of(data)
    for o in orders(data):
        segment = by_id[o["customer_id"]]["segment"]
        revenue[segment] = revenue.get(segment, 0) + o["amount"]
    return [(segment, len(group_rows), revenue.get(segment))
            for (segment,), group_rows in group(customers(data), lambda c: (c["segment"],)).items()]


def orders_and_units_by_status(data):
    status_of = {o["id"]: o["status"] for o in orders(data)}
    units: dict = {}
    for item in items(data):
        status = status_of[item["order_id"]]
        units[status] = units.get(status, 0) + item["quantity"]
    return [(status, len(rows), units.get(status))
            for (status,), rows in group(orders(data), lambda o: (o["status"],)).items()]


def orders_reaching_category(data):
    """Each category with the distinct orders that have at least one item in it."""
    by_id = order_of(data)
    reached: dict = {}
    for item in items(data):
        reached.setdefault(item["category"], {})[item["order_id"]] = by_id[item["order_id"]]
    return {category: list(found.values()) for category, found in reached.items()}


# The key-grain form collects each measure view's join keys by column name: orders gets
# customer_id and id (its own key, for order_items), and the spine's id column is the
# customers' id, so __measures_orders joins on order id = customer id.
KEY_NAME_CLASH = ("the fan-out statement joins the orders' pre-aggregate on a key named id, "
                  "the order id there but the customer id on the spine")

JOIN_CASES: list[Case] = [
    Case("revenue_by_customer_segment", "join many-to-one: fact measures by a dimension view",
         {"measures": ["orders.revenue", "orders.count"], "dimensions": ["customers.segment"]},
         lambda d: answer(orders(d), lambda o: (customer_of(d)[o["customer_id"]]["segment"],),
                          total("amount"), count),
         joins=True),
    Case("count_by_region_two_hops", "join through two many-to-one edges; NULL keys",
         {"measures": ["orders.count"], "dimensions": ["regions.name"],
          "filters": [{"member": "customers.is_vip", "operator": "equals", "values": ["false"]}]},
         lambda d: answer([o for o in orders(d) if not customer_of(d)[o["customer_id"]]["is_vip"]],
                          lambda o: (region_name(d)(customer_of(d)[o["customer_id"]]),), count),
         joins=True),
    Case("units_by_order_channel", "join from a child fact to its parent's dimension",
         {"measures": ["order_items.units"], "dimensions": ["orders.channel"],
          "filters": [{"member": "orders.status", "operator": "notEquals", "values": ["cancelled"]}]},
         lambda d: answer([i for i in items(d) if order_of(d)[i["order_id"]]["status"] != "cancelled"],
                          lambda i: (order_of(d)[i["order_id"]]["channel"],), total("quantity")),
         joins=True),
    Case("promoted_measure", "a measure promoted to the view its entity points at",
         {"measures": ["customers.revenue"], "dimensions": ["customers.segment"]},
         lambda d: answer(orders(d), lambda o: (customer_of(d)[o["customer_id"]]["segment"],),
                          total("amount")),
         joins=True),
    Case("promoted_child_measure", "a child fact's measure asked of its parent view",
         {"measures": ["orders.units"], "dimensions": ["orders.status"]},
         lambda d: answer(items(d), lambda i: (order_of(d)[i["order_id"]]["status"],),
                          total("quantity")),
         joins=True),
    Case("customers_by_order_status", "fan-out: parent count by a child dimension",
         {"measures": ["customers.count"], "dimensions": ["orders.status"]},
         customers_by_status, joins=True),
    Case("orders_and_units_by_status", "fan-out: measures of parent and child facts",
         {"measures": ["orders.count", "order_items.units"], "dimensions": ["orders.status"]},
         orders_and_units_by_status, joins=True),
    Case("customers_and_revenue_by_segment", "fan-out: dimension-view count beside fact revenue",
         {"measures": ["customers.count", "orders.revenue"], "dimensions": ["customers.segment"]},
         customers_and_revenue_by_segment, joins=True,
         known={dialect: ("fault", KEY_NAME_CLASH) for dialect in
                ("duckdb", "sqlite", "postgres", "redshift", "mysql", "domo", "clickhouse")}),
    Case("revenue_by_item_category", "fan-out: additive measures by a child dimension",
         {"measures": ["orders.revenue", "orders.count"], "dimensions": ["order_items.category"]},
         lambda d: [(category, sum(o["amount"] for o in found), len(found))
                    for category, found in orders_reaching_category(d).items()],
         joins=True),
    Case("average_by_item_category", "fan-out: an average by a child dimension (de-duplicated)",
         {"measures": ["orders.average_amount"], "dimensions": ["order_items.category"]},
         lambda d: [(category, sum(o["amount"] for o in found) / len(found))
                    for category, found in orders_reaching_category(d).items()],
         joins=True),
]

ALL_CASES = CASES + JOIN_CASES

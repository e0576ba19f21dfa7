"""Every engine-specific fragment, observed through compiled SQL: quoting, placeholders,
truncation, time zones and approximate distinct counts."""
import json

import orvane
import pytest

ORDERS = """
name: orders
table: orders
dimensions:
  - {name: status, type: string, expr: status}
  - {name: 'a"b`c', type: string, expr: x}
  - {name: created_at, type: datetime, expr: created_at}
  - {name: created_on, type: date, expr: created_on}
measures:
  - {name: count, type: count}
  - {name: buyers, type: count_distinct_approx, expr: buyer_id}
"""


def compile_query(query, dialect):
    return orvane.compile([ORDERS], json.dumps(query), dialect)


def first_column(query, dialect):
    line = compile_query(query, dialect)["sql"].split("\n")[1]
    return line[2:line.rindex(" AS ")]


@pytest.mark.parametrize("dialect, line", [
    ("postgres", '"orders"."x" AS "orders__a""b`c"'),
    ("duckdb", '"orders"."x" AS "orders__a""b`c"'),
    ("clickhouse", '"orders"."x" AS "orders__a""b`c"'),
    ("redshift", '"orders"."x" AS "orders__a""b`c"'),
    ("sqlite", '"orders"."x" AS "orders__a""b`c"'),
    ("presto", '"orders"."x" AS "orders__a""b`c"'),
    ("mysql", '`orders`.`x` AS `orders__a"b``c`'),
    ("databricks", '`orders`.`x` AS `orders__a"b``c`'),
    ("domo", '`orders`.`x` AS `orders__a"b``c`'),
    ("bigquery", '`orders`.`x` AS `orders__a"b\\`c`'),
    ("snowflake", '"ORDERS"."X" AS "ORDERS__A""B`C"'),
])
def test_identifier_quoting(dialect, line):
    sql = compile_query({"dimensions": ['orders.a"b`c']}, dialect)["sql"]
    assert sql.split("\n")[1] == "  " + line


@pytest.mark.parametrize("dialect, placeholders", [
    ("postgres", "$1, $2, $3"), ("duckdb", "$1, $2, $3"), ("clickhouse", "$1, $2, $3"),
    ("redshift", "$1, $2, $3"), ("bigquery", "@p0, @p1, @p2"), ("mysql", "?, ?, ?"),
    ("snowflake", "?, ?, ?"), ("databricks", "?, ?, ?"), ("sqlite", "?, ?, ?"),
    ("domo", "?, ?, ?"), ("presto", "?, ?, ?"),
])
def test_placeholders(dialect, placeholders):
    result = compile_query({"dimensions": ["orders.status"], "filters": [
        {"member": "orders.status", "operator": "equals", "values": ["a", "b", "c"]}]}, dialect)
    assert f" IN ({placeholders})\n" in result["sql"]
    assert result["params"] == ["a", "b", "c"]


def truncation(dialect, granularity):
    return first_column({"time_dimensions": [{"dimension": "orders.created_on",
                                              "granularity": granularity}]}, dialect)


PG_E = '"orders"."created_on"'
MY_E = "`orders`.`created_on`"


@pytest.mark.parametrize("dialect, granularity, expected", [
    ("postgres", "week", f"date_trunc('week', {PG_E})"),
    ("duckdb", "fortnight", f"date_trunc('fortnight', {PG_E})"),
    ("databricks", "day", "date_trunc('day', `orders`.`created_on`)"),
    ("redshift", "quarter", f"date_trunc('quarter', {PG_E})"),
    ("sqlite", "year", f"date_trunc('year', {PG_E})"),
    ("snowflake", "month", "DATE_TRUNC('month', \"ORDERS\".\"CREATED_ON\")"),
    ("presto", "hour", f"DATE_TRUNC('hour', {PG_E})"),
    ("bigquery", "month", f"TIMESTAMP_TRUNC({MY_E}, MONTH)"),
    ("mysql", "year", f"DATE_FORMAT({MY_E}, '%Y-01-01')"),
    ("mysql", "quarter",
     f"DATE_FORMAT(DATE_SUB({MY_E}, INTERVAL (MONTH({MY_E}) - 1) % 3 MONTH), '%Y-%m-01')"),
    ("mysql", "month", f"DATE_FORMAT({MY_E}, '%Y-%m-01')"),
    ("mysql", "week", f"DATE(DATE_SUB({MY_E}, INTERVAL DAYOFWEEK({MY_E}) - 1 DAY))"),
    ("mysql", "day", f"DATE({MY_E})"),
    ("mysql", "hour", f"DATE_FORMAT({MY_E}, '%Y-%m-%d %H:00:00')"),
    ("mysql", "minute", f"DATE_FORMAT({MY_E}, '%Y-%m-%d %H:%i:00')"),
    ("domo", "second", f"DATE_FORMAT({MY_E}, '%Y-%m-%d %H:%i:%s')"),
    ("domo", "Month", f"DATE({MY_E})"),
    ("clickhouse", "year", f"toStartOfYear({PG_E})"),
    ("clickhouse", "quarter", f"toStartOfQuarter({PG_E})"),
    ("clickhouse", "month", f"toStartOfMonth({PG_E})"),
    ("clickhouse", "week", f"toMonday({PG_E})"),
    ("clickhouse", "day", f"toDate({PG_E})"),
    ("clickhouse", "hour", f"toStartOfHour({PG_E})"),
    ("clickhouse", "minute", f"toStartOfMinute({PG_E})"),
    ("clickhouse", "second", f"toStartOfSecond({PG_E})"),
    ("clickhouse", "decade", f"toDate({PG_E})"),
])
def test_truncation(dialect, granularity, expected):
    assert truncation(dialect, granularity) == expected


def zoned(dialect, zone, dimension="orders.created_at"):
    return first_column({"time_dimensions": [{"dimension": dimension, "granularity": "day"}],
                         "timezone": zone}, dialect)


@pytest.mark.parametrize("dialect, expected", [
    ("postgres", "date_trunc('day', (\"orders\".\"created_at\"::timestamptz AT TIME ZONE "
                 "'Asia/Tokyo'))"),
    ("redshift", "date_trunc('day', (\"orders\".\"created_at\"::timestamptz AT TIME ZONE "
                 "'Asia/Tokyo'))"),
    ("mysql", "DATE(CONVERT_TZ(`orders`.`created_at`, 'UTC', 'Asia/Tokyo'))"),
    ("bigquery", "TIMESTAMP_TRUNC(DATETIME(`orders`.`created_at`, 'Asia/Tokyo'), DAY)"),
    ("snowflake", "DATE_TRUNC('day', CONVERT_TIMEZONE('UTC', 'Asia/Tokyo', "
                  "\"ORDERS\".\"CREATED_AT\"::TIMESTAMP_NTZ))"),
    ("duckdb", "date_trunc('day', timezone('Asia/Tokyo', \"orders\".\"created_at\"::TIMESTAMPTZ))"),
    ("clickhouse", "toDate(toTimeZone(\"orders\".\"created_at\", 'Asia/Tokyo'))"),
    ("databricks", "date_trunc('day', from_utc_timestamp(`orders`.`created_at`, 'Asia/Tokyo'))"),
    ("presto", "DATE_TRUNC('day', (\"orders\".\"created_at\" AT TIME ZONE 'Asia/Tokyo'))"),
    ("sqlite", "date_trunc('day', \"orders\".\"created_at\")"),
    ("domo", "DATE(`orders`.`created_at`)"),
])
def test_time_zone_conversion(dialect, expected):
    assert zoned(dialect, "Asia/Tokyo") == expected


def test_time_zone_applies_to_datetime_dimensions_only_and_utc_is_identity():
    assert zoned("postgres", "UTC") == "date_trunc('day', \"orders\".\"created_at\")"
    assert zoned("postgres", "Asia/Tokyo", "orders.created_on") == (
        "date_trunc('day', \"orders\".\"created_on\")")


@pytest.mark.parametrize("dialect, field, value", [
    ("postgres", "timezone", "Europe/Paris'; DROP TABLE orders; --"),
    ("presto", "timezone", "UTC\\"),
    ("duckdb", "timezone", "Asia/Tokyo\n"),
    ("postgres", "granularity", "day') --"),
    ("mysql", "granularity", "week\\"),
    ("bigquery", "granularity", "DAY) FROM x; --"),
])
def test_unsafe_zone_or_granularity_is_refused(dialect, field, value):
    query = {"time_dimensions": [{"dimension": "orders.created_at", "granularity": "day"}],
             "timezone": "Asia/Tokyo"}
    if field == "timezone":
        query["timezone"] = value
    else:
        query["time_dimensions"][0]["granularity"] = value
    with pytest.raises(ValueError, match=rf"^Query error: {field} "):
        compile_query(query, dialect)


@pytest.mark.parametrize("dialect, expected", [
    ("postgres", 'COUNT(DISTINCT "orders"."buyer_id")'),
    ("mysql", "COUNT(DISTINCT `orders`.`buyer_id`)"),
    ("duckdb", 'COUNT(DISTINCT "orders"."buyer_id")'),
    ("sqlite", 'COUNT(DISTINCT "orders"."buyer_id")'),
    ("domo", "COUNT(DISTINCT `orders`.`buyer_id`)"),
    ("bigquery", "APPROX_COUNT_DISTINCT(`orders`.`buyer_id`)"),
    ("snowflake", 'APPROX_COUNT_DISTINCT("ORDERS"."BUYER_ID")'),
    ("databricks", "APPROX_COUNT_DISTINCT(`orders`.`buyer_id`)"),
    ("presto", 'APPROX_COUNT_DISTINCT("orders"."buyer_id")'),
    ("redshift", 'APPROXIMATE COUNT(DISTINCT "orders"."buyer_id")'),
    ("clickhouse", 'uniqHLL12("orders"."buyer_id")'),
])
def test_approximate_count_distinct(dialect, expected):
    assert first_column({"measures": ["orders.buyers"]}, dialect) == expected

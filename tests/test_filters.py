"""Filters as conditions: the 21 operators, the boolean shortcut, and/or groups, WHERE versus
HAVING, the order of bound values, and the filters that cannot be compiled."""
import json

import orvane
import pytest

ORDERS = """
name: orders
table: orders
dimensions:
  - {name: status, type: string, expr: status}
  - {name: amount, type: number, expr: amount}
  - {name: double_amount, type: number, expr: amount * 2}
  - {name: created_at, type: date, expr: created_at}
  - {name: is_paid, type: boolean, expr: paid}
measures:
  - {name: count, type: count}
  - {name: revenue, type: sum, expr: amount}
"""


def compile_filters(filters, dialect="postgres", **extra):
    query = {"dimensions": ["orders.status"], "filters": filters, **extra}
    return orvane.compile([ORDERS], json.dumps(query), dialect)


def where_of(sql):
    assert "\nWHERE\n  " in sql, sql
    return sql.split("\nWHERE\n  ")[1].split("\nLIMIT")[0].split("\nGROUP BY")[0]


S = '"orders"."status"'
D = '"orders"."created_at"'


@pytest.mark.parametrize("member, operator, values, condition, params", [
    ("status", "equals", ["a"], f"{S} = $1", ["a"]),
    ("status", "equals", ["a", "b", "c"], f"{S} IN ($1, $2, $3)", ["a", "b", "c"]),
    ("status", "notEquals", ["a"], f"{S} <> $1", ["a"]),
    ("status", "notEquals", ["a", "b"], f"{S} NOT IN ($1, $2)", ["a", "b"]),
    ("status", "contains", ["a", "b"], f"({S} LIKE $1 OR {S} LIKE $2)", ["%a%", "%b%"]),
    ("status", "notContains", ["a", "b"], f"({S} NOT LIKE $1 AND {S} NOT LIKE $2)",
     ["%a%", "%b%"]),
    ("status", "startsWith", ["a"], f"({S} LIKE $1)", ["a%"]),
    ("status", "notStartsWith", ["a"], f"({S} NOT LIKE $1)", ["a%"]),
    ("status", "endsWith", ["a_%"], f"({S} LIKE $1)", ["%a_%"]),
    ("status", "notEndsWith", ["a", "b"], f"({S} NOT LIKE $1 AND {S} NOT LIKE $2)",
     ["%a", "%b"]),
    ("amount", "gt", ["5", "7"], '"orders"."amount" > $1', ["5"]),
    ("amount", "gte", ["5"], '"orders"."amount" >= $1', ["5"]),
    ("amount", "lt", ["5"], '"orders"."amount" < $1', ["5"]),
    ("amount", "lte", ["5"], '"orders"."amount" <= $1', ["5"]),
    ("double_amount", "gt", ["5"], '("orders"."amount" * 2) > $1', ["5"]),
    ("status", "set", ["ignored"], f"{S} IS NOT NULL", []),
    ("status", "notSet", [], f"{S} IS NULL", []),
    ("created_at", "inDateRange", ["2024-01-01", "2024-01-31"], f"{D} >= $1 AND {D} <= $2",
     ["2024-01-01", "2024-01-31"]),
    ("created_at", "notInDateRange", ["2024-01-01", "2024-01-31"], f"({D} < $1 OR {D} > $2)",
     ["2024-01-01", "2024-01-31"]),
    ("created_at", "beforeDate", ["2024-01-01"], f"{D} < $1", ["2024-01-01"]),
    ("created_at", "beforeOrOnDate", ["2024-01-01"], f"{D} <= $1", ["2024-01-01"]),
    ("created_at", "afterDate", ["2024-01-01"], f"{D} > $1", ["2024-01-01"]),
    ("created_at", "afterOrOnDate", ["2024-01-01"], f"{D} >= $1", ["2024-01-01"]),
    ("created_at", "onTheDate", ["2024-02-28"], f"{D} >= $1 AND {D} < $2",
     ["2024-02-28", "2024-02-29"]),
    ("created_at", "onTheDate", [" 2023-12-31 "], f"{D} >= $1 AND {D} < $2",
     [" 2023-12-31 ", "2024-01-01"]),
    ("created_at", "onTheDate", ["soon"], f"{D} >= $1 AND {D} < $2", ["soon", "soon"]),
])
def test_operator_conditions(member, operator, values, condition, params):
    result = compile_filters([{"member": f"orders.{member}", "operator": operator,
                               "values": values}])
    assert where_of(result["sql"]) == condition
    assert result["params"] == params


@pytest.mark.parametrize("operator, values, condition, params", [
    ("equals", [" TRUE "], '"orders"."paid" = true', []),
    ("equals", ["1"], '"orders"."paid" = true', []),
    ("notEquals", ["0"], '"orders"."paid" <> false', []),
    ("notEquals", ["False"], '"orders"."paid" <> false', []),
    ("equals", ["yes"], '"orders"."paid" = $1', ["yes"]),
    ("equals", ["true", "false"], '"orders"."paid" IN ($1, $2)', ["true", "false"]),
    ("gt", ["1"], '"orders"."paid" > $1', ["1"]),
])
def test_boolean_shortcut(operator, values, condition, params):
    result = compile_filters([{"member": "orders.is_paid", "operator": operator,
                               "values": values}])
    assert where_of(result["sql"]) == condition
    assert result["params"] == params


def leaf(member, operator, *values):
    return {"member": f"orders.{member}", "operator": operator, "values": list(values)}


def test_groups_nest_with_their_own_parentheses():
    group = {"or": [leaf("status", "equals", "a"),
                    {"and": [leaf("amount", "gt", "1"), leaf("amount", "lt", "9")]}]}
    result = compile_filters([group])
    assert where_of(result["sql"]) == (
        f'({S} = $1 OR ("orders"."amount" > $2 AND "orders"."amount" < $3))')
    assert result["params"] == ["a", "1", "9"]


def test_group_of_one_is_unwrapped_and_empty_group_adds_nothing():
    result = compile_filters([{"or": [leaf("status", "set")]}, {"and": []}])
    assert where_of(result["sql"]) == f"{S} IS NOT NULL"
    assert "WHERE" not in compile_filters([{"or": [{"and": []}]}])["sql"]


def test_and_governs_when_a_filter_has_both_lists():
    result = compile_filters([{"and": [leaf("status", "set")], "or": [leaf("status", "notSet")]}])
    assert where_of(result["sql"]) == f"{S} IS NOT NULL"


def test_measure_filters_go_to_having():
    result = compile_filters([leaf("revenue", "gt", "100"),
                              {"and": [leaf("count", "gt", "1"), leaf("revenue", "lt", "9")]}],
                             measures=["orders.count"])
    assert result["sql"].endswith(
        '\nHAVING\n  SUM("orders"."amount") > $1\n  AND (COUNT(*) > $2 AND SUM("orders"."amount")'
        ' < $3)\nLIMIT 10000')
    assert "WHERE" not in result["sql"]



def test_a_name_declared_as_dimension_and_measure_filters_as_the_measure():
    orders = ORDERS + "  - {name: status, type: count}\n"
    query = {"dimensions": ["orders.amount"], "filters": [leaf("status", "gt", "1")]}
    sql = orvane.compile([orders], json.dumps(query), "postgres")["sql"]
    assert "\nHAVING\n  COUNT(*) > $1\n" in sql and "WHERE" not in sql


PARAM_ORDER_QUERY = dict(
    measures=["orders.count"],
    time_dimensions=[{"dimension": "orders.created_at", "date_range": ["2024-01-01", "2024-01-31"]}],
)
PARAM_ORDER_FILTERS = [leaf("revenue", "gt", "100"), leaf("status", "equals", "paid")]


@pytest.mark.parametrize("dialect, where, having, params", [
    ("postgres", f"{S} = $2\n  AND {D} >= $3 AND {D} <= $4", 'SUM("orders"."amount") > $1',
     ["100", "paid", "2024-01-01", "2024-01-31"]),
    ("bigquery", "`orders`.`status` = @p1\n  AND `orders`.`created_at` >= @p2 AND "
     "`orders`.`created_at` <= @p3", "SUM(`orders`.`amount`) > @p0",
     ["100", "paid", "2024-01-01", "2024-01-31"]),
    ("mysql", "`orders`.`status` = ?\n  AND `orders`.`created_at` >= ? AND "
     "`orders`.`created_at` <= ?", "SUM(`orders`.`amount`) > ?",
     ["paid", "2024-01-01", "2024-01-31", "100"]),
    ("sqlite", f"{S} = ?\n  AND {D} >= ? AND {D} <= ?", 'SUM("orders"."amount") > ?',
     ["paid", "2024-01-01", "2024-01-31", "100"]),
])
def test_params_follow_placeholder_order(dialect, where, having, params):
    result = compile_filters(PARAM_ORDER_FILTERS, dialect, **PARAM_ORDER_QUERY)
    sql = result["sql"]
    assert where_of(sql) == where
    assert f"\nHAVING\n  {having}\n" in sql
    assert result["params"] == params


@pytest.mark.parametrize("filters, message", [
    ([{"operator": "equals", "values": ["a"]}], "Filter must have a member"),
    ([{}], "Filter must have a member"),
    ([{"member": "orders.status"}], "Filter must have an operator"),
    ([leaf("status.x", "set")], "Invalid member path: 'orders.status.x'. Expected format: "
                                "'view.member'"),
    ([leaf("nope", "set")], "Filter member 'orders.nope' not found"),
    ([leaf("created_at", "inDateRange", "2024-01-01")], "inDateRange requires exactly 2 values"),
    ([leaf("created_at", "notInDateRange", "a", "b", "c")],
     "notInDateRange requires exactly 2 values"),
    ([{"or": [leaf("status", "set"), {"and": [leaf("nope", "set")]}, leaf("other", "set")]}],
     "Filter member 'orders.nope' not found"),
])
def test_filter_messages(filters, message):
    with pytest.raises(ValueError) as error:
        compile_filters(filters)
    assert str(error.value) == "Query error: " + message


@pytest.mark.parametrize("member, operator", [
    ("status", "equals"), ("status", "notEquals"), ("status", "contains"),
    ("status", "notEndsWith"), ("amount", "gt"), ("created_at", "beforeDate"),
    ("created_at", "onTheDate"), ("is_paid", "equals"), ("revenue", "lte"),
])
def test_operators_without_values_are_refused(member, operator):
    with pytest.raises(ValueError, match=rf"^Query error: Filter on 'orders.{member}' with "
                                         rf"operator '{operator}' has no values"):
        compile_filters([leaf(member, operator)])


@pytest.mark.parametrize("group", [
    {"or": [leaf("revenue", "gt", "1"), leaf("status", "equals", "a")]},
    {"and": [leaf("status", "equals", "a"), {"or": [leaf("count", "gt", "1")]}]},
    {"member": "orders.status", "operator": "set", "and": [leaf("count", "gt", "1")]},
])
def test_group_mixing_measures_and_dimensions_is_refused(group):
    with pytest.raises(ValueError, match=r"^Query error: Filter group.* mixes measures and "
                                         r"dimensions"):
        compile_filters([group])

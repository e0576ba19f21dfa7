"""The compile pipeline end to end: result shape, default limit, clamping, final checks."""
import orvane
import pytest

VIEW = """
name: orders
table: orders
dimensions:
  - name: status
    type: string
    expr: status
measures:
  - name: count
    type: count
"""

BASE_SQL = (
    'SELECT\n  "orders"."status" AS "orders__status",\n  COUNT(*) AS "orders__count"\n'
    'FROM\n  orders AS "orders"\nGROUP BY\n  1'
)


def compile_orders(extra="", dialect="postgres", views=None, **kwargs):
    query = '{"measures": ["orders.count"], "dimensions": ["orders.status"]' + extra + "}"
    return orvane.compile(views or [VIEW], query, dialect, **kwargs)


def test_result_shape_key_orders_and_types():
    result = compile_orders()
    assert list(result) == ["columns", "default_limit_applied", "params", "sql"]
    assert result["columns"] == [
        {"alias": "orders__status", "kind": "Dimension", "member": "orders.status"},
        {"alias": "orders__count", "kind": "Measure", "member": "orders.count"},
    ]
    assert all(list(column) == ["alias", "kind", "member"] for column in result["columns"])
    assert result["params"] == []
    assert result["default_limit_applied"] is True
    assert result["sql"] == BASE_SQL + "\nLIMIT 10000"


@pytest.mark.parametrize(
    "extra, limit_clause, applied",
    [
        ("", "\nLIMIT 10000", True),
        (', "limit": null', "\nLIMIT 10000", True),
        (', "limit": 10000', "\nLIMIT 10000", False),
        (', "limit": 0', "\nLIMIT 0", False),
        (', "limit": 9223372036854775807', "\nLIMIT 9223372036854775807", False),
        (', "limit": 9223372036854775808', "\nLIMIT 9223372036854775807", False),
        (', "limit": 18446744073709551615', "\nLIMIT 9223372036854775807", False),
        (', "limit": 5, "offset": 20', "\nLIMIT 5\nOFFSET 20", False),
        (', "offset": 3', "\nLIMIT 10000\nOFFSET 3", True),
    ],
)
def test_default_limit_and_clamping(extra, limit_clause, applied):
    result = compile_orders(extra)
    assert result["sql"] == BASE_SQL + limit_clause
    assert result["default_limit_applied"] is applied


@pytest.mark.parametrize("extra", [', "limit": -1', ', "limit": 10.5', ', "limit": 18446744073709551616'])
def test_limits_outside_the_unsigned_range_are_query_text_errors(extra):
    with pytest.raises(ValueError, match="^Invalid query JSON: "):
        compile_orders(extra)


def test_optional_documents_omitted_none_and_empty_are_the_same():
    omitted = compile_orders()
    assert compile_orders(topics_yaml=None, motifs_yaml=None, queries_yaml=None) == omitted
    assert compile_orders(topics_yaml=[], motifs_yaml=(), queries_yaml=[]) == omitted


def test_a_query_without_members_is_a_query_error():
    with pytest.raises(ValueError) as raised:
        orvane.compile([VIEW], "{}", "postgres")
    assert str(raised.value) == "Query error: Query must reference at least one view"


def view_with_measure_expr(expr):
    return VIEW + f"  - name: odd\n    type: sum\n    expr: \"{expr}\"\n"


def test_unresolved_references_fail_but_variables_survive():
    with pytest.raises(ValueError) as raised:
        orvane.compile([view_with_measure_expr("{{ foo }} + 1")], '{"measures": ["orders.odd"]}', "postgres")
    assert str(raised.value) == (
        "SQL generation error: unresolved reference `{{ foo }}` left in compiled SQL: a measure or "
        "dimension `expr` used a reference orvane could not resolve. Reference raw columns "
        "directly, or use `{{ entity.field }}` with unquoted identifiers (`{{ variables.X }}` is "
        "the only placeholder preserved in output SQL)."
    )
    result = orvane.compile(
        [view_with_measure_expr("amount * {{ variables.rate }}")], '{"measures": ["orders.odd"]}', "postgres"
    )
    assert "SUM(amount * {{variables.rate}})" in result["sql"]


def test_the_schema_is_checked_before_the_query_text():
    broken_schema = "name: orders\n"  # neither table nor sql
    with pytest.raises(ValueError, match="^Schema error: "):
        orvane.compile([broken_schema], "not json", "postgres")

"""Measures asked for on a view that receives them along entities: resolution to the source
measure, the `through` choice, both ambiguity messages, the caller's column names and the
parent-hierarchy cycle."""

import json

import orvane
import pytest


def view(name, entities=(), dimensions=(), measures=""):
    """A view document. Entities are (name, type, key[, parent]); dimensions are names whose
    expression is the name itself; measures is the YAML of the measure list's items."""
    lines = [f"name: {name}", f"table: {name}", "entities:" if entities else "entities: []"]
    for entity, kind, key, *parent in entities:
        lines += [f"  - name: {entity}", f"    type: {kind}", f"    key: {key}"]
        if parent:
            lines.append(f"    parent: {parent[0]}")
    lines.append("dimensions:")
    for dimension in dimensions:
        lines += [f"  - name: {dimension}", "    type: string", f"    expr: {dimension}"]
    text = "\n".join(lines) + "\n"
    return text + ("measures:\n" + measures if measures else "")


def measures(*names, expr="amount"):
    return "".join(f"  - name: {name}\n    type: sum\n    expr: {expr}\n" for name in names)


COUNT = "  - name: count\n    type: count\n"
PRIOR = ("  - name: prior_revenue\n    type: sum\n    shift:\n      measure: revenue\n"
         "      by: 1 month\n")

ORDERS = view("orders", [("customer", "foreign", "customer_id")],
              ["customer_id", "amount"], COUNT + measures("revenue") + PRIOR)
CUSTOMERS = view("customers", [("customer", "primary", "id", "region")], ["id", "name"],
                 COUNT)
REGIONS = view("regions", [("region", "primary", "id")], ["id", "label"])
RETURNS = view("returns", [("store", "foreign", "store_id")], ["store_id", "amount"],
               measures("revenue"))
STORES = view("stores", [("store", "primary", "id", "region")], ["id"])
SHOP = [ORDERS, CUSTOMERS, REGIONS]


def compile_query(views, **query):
    return orvane.compile(views, json.dumps(query), "postgres")


def compile_error(views, **query):
    with pytest.raises(ValueError) as failure:
        compile_query(views, **query)
    return str(failure.value)


@pytest.mark.parametrize(
    "views, requested, through, source",
    [
        # through the foreign entity
        (SHOP, "customers.revenue", [], "orders.revenue"),
        # up the parent of that entity
        (SHOP, "regions.revenue", [], "orders.revenue"),
        # regions receives revenue from orders (customer, region) and returns (store, region):
        # `through` names the source view ...
        (SHOP + [RETURNS, STORES], "regions.revenue", ["returns"], "returns.revenue"),
        (SHOP + [RETURNS, STORES], "regions.revenue", ["orders"], "orders.revenue"),
        # ... or an entity on exactly one source's path
        (SHOP + [RETURNS, STORES], "regions.revenue", ["store"], "returns.revenue"),
        (SHOP + [RETURNS, STORES], "regions.revenue", ["customer"], "orders.revenue"),
        # a source view named in `through` wins over entity matches
        (SHOP + [RETURNS, STORES], "regions.revenue", ["customer", "returns"], "returns.revenue"),
        # one candidate needs no hint
        (SHOP + [RETURNS, STORES], "stores.revenue", [], "returns.revenue"),
    ],
)
def test_induced_measure_compiles_as_its_source(views, requested, through, source):
    induced = compile_query(views, measures=[requested], through=through)
    direct = compile_query(views, measures=[source], through=through)
    assert induced["sql"] == direct["sql"]
    [column] = induced["columns"]
    assert column["member"] == requested
    assert column["alias"] == source.replace(".", "__")


def test_caller_names_come_back_in_request_order():
    result = compile_query(SHOP, measures=["regions.revenue", "orders.count", "customers.revenue"])
    assert [c["member"] for c in result["columns"]] == [
        "regions.revenue", "orders.count", "customers.revenue"]


@pytest.mark.parametrize(
    "requested, message",
    [
        # the receiving view's own measure hides the induced one
        ("customers.count", None),
        # shift measures are never promoted
        ("customers.prior_revenue", "Query error: Measure 'prior_revenue' not found in view 'customers'"),
    ],
)
def test_what_is_not_promoted(requested, message):
    if message is None:
        sql = compile_query(SHOP, measures=[requested])["sql"]
        assert "FROM\n  customers AS" in sql and "JOIN" not in sql
    else:
        assert compile_error(SHOP, measures=[requested]) == message


AMBIGUOUS = (
    "Query error: Induced measure 'regions.revenue' is ambiguous: reachable from "
    '["orders", "returns"]. Disambiguate by qualifying the measure with its source view '
    "(e.g. 'orders.revenue') or by setting `through:` to a source view name or an entity in the "
    "desired path."
)
STILL_AMBIGUOUS = (
    "Query error: Induced measure 'regions.revenue' is still ambiguous after applying "
    '`through: ["region", "elsewhere"]`: ["orders", "returns"] all match. Tighten the hint or '
    "qualify the measure with a source view."
)


@pytest.mark.parametrize(
    "through, message",
    [
        ([], AMBIGUOUS),
        (["stores"], AMBIGUOUS),
        (["region", "elsewhere"], STILL_AMBIGUOUS),
    ],
)
def test_ambiguous_induced_measure(through, message):
    views = SHOP + [RETURNS, STORES]
    assert compile_error(views, measures=["regions.revenue"], through=through) == message


@pytest.mark.parametrize(
    "parents, chain",
    [
        ({"a": "b", "b": "a"}, "a → b → a"),
        ({"a": "a"}, "a → a"),
        ({"a": "b", "b": "c", "c": "a"}, "a → b → c → a"),
        ({"x": "a", "a": "b", "b": "a"}, "a → b → a"),
    ],
)
def test_parent_cycle_is_a_schema_error(parents, chain):
    views = [view(f"v_{entity}", [(entity, "primary", "id", parent)], ["id"], COUNT)
             for entity, parent in parents.items()]
    message = compile_error(views, measures=[f"v_{next(iter(parents))}.count"])
    assert message.startswith("Schema error: ")
    assert f"entity parent hierarchy has a cycle: {chain}" in message


def test_parent_of_first_primary_declaration_is_followed():
    """An entity declared primary twice climbs through the parent of its first declaration."""
    cycle = [view("v_a", [("a", "primary", "id", "b")], ["id"], COUNT),
             view("v_b", [("b", "primary", "id", "a")], ["id"], COUNT)]
    later = view("v_a2", [("a", "primary", "id", "c")], ["id"], COUNT)
    root = view("v_c", [("c", "primary", "id")], ["id"], COUNT)
    message = compile_error(cycle + [later, root], measures=["v_a.count"])
    assert "entity parent hierarchy has a cycle: a → b → a" in message
    assert compile_query([later] + cycle + [root], measures=["v_a.count"])["sql"]

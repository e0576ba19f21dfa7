"""Whole-schema validation: every check, its exact lines, their order, and the warnings."""

import json
import subprocess
import sys
import textwrap

import orvane
import pytest


def doc(text):
    return textwrap.dedent(text).strip() + "\n"


def view(name, body="", source="table: t"):
    """A view document: name and source, then the given YAML body."""
    return doc(f"name: {name}\n{source}\n") + doc(body) if body else doc(f"name: {name}\n{source}\n")


def errors(views, topics=None):
    """The error lines validate reports, or [] when it accepts the schema."""
    try:
        assert orvane.validate(views, topics) is True
    except ValueError as error:
        return str(error).split("\n")
    return []


def compile_errors(views, motifs=None, queries=None):
    """The validation failure of compile, without its schema-error prefix, or []."""
    try:
        orvane.compile(views, json.dumps({"measures": ["v.count"]}), "postgres",
                       None, motifs, queries)
    except ValueError as error:
        text = str(error)
        assert text.startswith("Schema error: "), text
        return text[len("Schema error: "):].split("\n")
    return []


V = doc("""
    name: v
    table: t
    measures:
      - name: count
        type: count
""")


CUSTOMERS = view("customers", """
    dimensions:
      - {name: id, type: number, expr: id}
    entities:
      - {name: customer, type: primary, key: id}
""")


def test_accepts_empty_and_clean_schemas():
    assert errors([]) == []
    assert errors([V, CUSTOMERS]) == []


def test_duplicate_view_names_are_reported_and_every_copy_still_checked():
    a = view("a", source="")
    assert errors([a, a, a]) == [
        "Duplicate view name: 'a'",
        "Duplicate view name: 'a'",
        "[a] View must have either 'table' or 'sql'",
        "[a] View must have either 'table' or 'sql'",
        "[a] View must have either 'table' or 'sql'",
    ]


@pytest.mark.parametrize("body, source, expected", [
    ("", "", ["[w] View must have either 'table' or 'sql'"]),
    ("", "table: t\nsql: select 1", ["[w] View cannot have both 'table' and 'sql'"]),
    ("""
     dimensions:
       - {name: d, type: string, expr: ""}
       - {name: d, type: string, expr: " "}
       - {name: d, type: string, expr: ""}
     """, "table: t", [
        "[w] Dimension 'd' has empty expr",
        "[w] Duplicate dimension name: 'd'",
        "[w] Duplicate dimension name: 'd'",
        "[w] Dimension 'd' has empty expr",
    ]),
    ("""
     dimensions:
       - {name: b, type: string, expr: b}
       - {name: a, type: string, expr: a}
       - {name: c, type: string, expr: c}
       - {name: a, type: string, expr: a}
       - {name: b, type: string, expr: b}
     """, "table: t", [
        "[w] Duplicate dimension name: 'a'",
        "[w] Duplicate dimension name: 'b'",
    ]),
    ("""
     measures:
       - {name: n, type: count}
       - {name: s, type: sum}
       - {name: dc, type: count_distinct_approx}
       - {name: prior_s, type: sum, shift: {measure: n, by: 1 year}}
     """, "table: t", [
        "[w] Measure 's' of type sum requires an expr",
        "[w] Measure 'dc' of type count_distinct_approx requires an expr",
    ]),
    ("""
     dimensions:
       - {name: id, type: number, expr: id}
     entities:
       - {name: a, key: id}
       - {name: b, key: missing}
       - {name: c, keys: [id, x, y]}
       - {name: d, key: missing, keys: []}
     """, "table: t", [
        "[w] Entity 'b' references key 'missing' which is not a dimension",
        "[w] Entity 'c' references key 'x' which is not a dimension",
        "[w] Entity 'c' references key 'y' which is not a dimension",
    ]),
    # The sub-steps run in order within each view: source, dimensions, measures, entities.
    ("""
     entities:
       - {name: e, key: k}
     measures:
       - {name: s, type: max}
     dimensions:
       - {name: k, type: string, expr: ""}
       - {name: k, type: string, expr: k}
     """, "", [
        "[w] View must have either 'table' or 'sql'",
        "[w] Dimension 'k' has empty expr",
        "[w] Duplicate dimension name: 'k'",
        "[w] Measure 's' of type max requires an expr",
    ]),
])
def test_view_structure(body, source, expected):
    assert errors([view("w", body, source)]) == expected


@pytest.mark.parametrize("expr, expected", [
    ("{{ variables.rate }} * amount", []),
    ("{{customers.count}} + {{ customer.id }} + {{ v.count }}", []),
    ("{{ orders.count }}", ["[w] Measure 'm' references unknown entity/view 'orders' in expr"]),
    ("{{ nope.a }} - {{nope.b}}", [
        "[w] Measure 'm' references unknown entity/view 'nope' in expr",
        "[w] Measure 'm' references unknown entity/view 'nope' in expr",
    ]),
    # Unicode word characters and white space; only whole references count.
    ("{{\u3000ventes\u00e9.x\u00a0}} + {{ a.b.c }} + {{ a }} + {{{ q.r }}", [
        "[w] Measure 'm' references unknown entity/view 'ventes\u00e9' in expr",
        "[w] Measure 'm' references unknown entity/view 'q' in expr",
    ]),
])
def test_measure_expression_references(expr, expected):
    w = view("w", f"""
        measures:
          - name: m
            type: number
            expr: {json.dumps(expr)}
        dimensions:
          - name: d
            type: string
            expr: "{{{{ nowhere.x }}}}"
    """)
    assert errors([w, CUSTOMERS, V]) == expected


LIFESPAN_SOURCE = view("accounts", """
    dimensions:
      - {name: a, type: string, expr: a}
      - {name: b, type: string, expr: b}
    entities:
      - {name: pair, keys: [a, b]}
      - {name: bare}
""")


@pytest.mark.parametrize("entities, expected", [
    ("- {name: pair, keys: [x, y], lifespan: {start: s, from: accounts}}", []),
    ("- {name: pair, lifespan: {start: s, from: accounts}}", []),
    ("- {name: other, key: x, lifespan: {start: s}}", []),
    ("- {name: pair, key: x, lifespan: {start: s, from: ghosts}}",
     ["[w] entity 'pair' lifespan `from: ghosts` names a view that does not exist"]),
    ("- {name: solo, key: x, lifespan: {start: s, from: accounts}}",
     ["[w] entity 'solo' lifespan `from: accounts` must declare the same entity, "
      "but view 'accounts' does not have entity 'solo'"]),
    ("- {name: bare, key: x, lifespan: {start: s, from: accounts}}",
     ["[w] entity 'bare' lifespan `from: accounts` \u2014 entity 'bare' on 'accounts' has no "
      "keys; cannot group lifespan aggregation"]),
    ("- {name: pair, key: x, lifespan: {start: s, from: accounts}}",
     ["[w] entity 'pair' declares 1 key(s), but `from: accounts` declares 2; both must expose "
      "the same number of keys (paired positionally for the cohort JOIN)"]),
])
def test_entity_lifespans(entities, expected):
    w = view("w", "dimensions:\n  - {name: x, type: string, expr: x}\n"
                  "  - {name: y, type: string, expr: y}\nentities:\n" + textwrap.indent(entities, "  "))
    assert errors([w, LIFESPAN_SOURCE]) == expected


def test_lifespan_source_is_the_last_view_of_that_name():
    first = view("accounts", """
        dimensions:
          - {name: a, type: string, expr: a}
        entities:
          - {name: acct, key: a}
    """)
    last = view("accounts", "entities:\n  - {name: acct}\n")
    w = view("w", """
        dimensions:
          - {name: x, type: string, expr: x}
        entities:
          - {name: acct, key: x, lifespan: {start: s, from: accounts}}
    """)
    assert errors([first, last, w])[1:] == [
        "[w] entity 'acct' lifespan `from: accounts` \u2014 entity 'acct' on 'accounts' has no keys; "
        "cannot group lifespan aggregation",
    ]


@pytest.mark.parametrize("shift, expected", [
    ("{measure: n, by: 1 year}", []),
    ("{measure: n, by: '2 Weeks', maturity: '+3 DAYS', direction: next}", []),
    ("{measure: n, by: ' 1\u3000quarter '}", []),
    ("{measure: n, by: 0 months, comparable_by: customer}", []),
    ("{measure: gone, by: 1 year}",
     ["[w] shift measure 'm' references base measure 'gone' which does not exist in this view"]),
    ("{measure: other, by: 1 year}",
     ["[w] shift measure 'm' references base 'other', which is itself a shift measure; "
      "the base must be a plain measure"]),
    ("{measure: n, by: year}",
     ["[w] shift measure 'm' has an invalid `by`: invalid interval 'year': "
      "expected \"<int> <unit>\" (e.g. \"1 year\")"]),
    ("{measure: n, by: 1 calendar year}",
     ["[w] shift measure 'm' has an invalid `by`: invalid interval '1 calendar year': "
      "expected \"<int> <unit>\" (e.g. \"1 year\")"]),
    ("{measure: n, by: one year}",
     ["[w] shift measure 'm' has an invalid `by`: invalid interval count 'one' in 'one year'"]),
    ("{measure: n, by: 1.5 years}",
     ["[w] shift measure 'm' has an invalid `by`: invalid interval count '1.5' in '1.5 years'"]),
    ("{measure: n, by: 99999999999999999999 days}",
     ["[w] shift measure 'm' has an invalid `by`: invalid interval count '99999999999999999999' "
      "in '99999999999999999999 days'"]),
    ("{measure: n, by: '+-1 day'}",
     ["[w] shift measure 'm' has an invalid `by`: invalid interval count '+-1' in '+-1 day'"]),
    ("{measure: n, by: -1 year}",
     ["[w] shift measure 'm' has an invalid `by`: interval count must be non-negative, "
      "got '-1 year'"]),
    ("{measure: n, by: 1 yearss}",
     ["[w] shift measure 'm' has an invalid `by`: unknown interval unit 'yearss' in '1 yearss'"]),
    ("{measure: n, by: 1 year, maturity: soon}",
     ["[w] shift measure 'm' has an invalid `maturity`: invalid interval 'soon': "
      "expected \"<int> <unit>\" (e.g. \"1 year\")"]),
    ("{measure: n, by: 1 year, comparable_by: account}",
     ["[w] shift measure 'm' is `comparable_by: account`, but entity 'account' does not declare "
      "a `lifespan` (needed to derive the cohort)."]),
    ("{measure: n, by: 1 year, comparable_by: store}",
     ["[w] shift measure 'm' is `comparable_by: store`, but no entity named 'store' is declared "
      "on this view."]),
    # Every sub-step runs for the same measure.
    ("{measure: gone, by: x, maturity: -2 weeks, comparable_by: store}", [
        "[w] shift measure 'm' references base measure 'gone' which does not exist in this view",
        "[w] shift measure 'm' has an invalid `by`: invalid interval 'x': "
        "expected \"<int> <unit>\" (e.g. \"1 year\")",
        "[w] shift measure 'm' has an invalid `maturity`: interval count must be non-negative, "
        "got '-2 weeks'",
        "[w] shift measure 'm' is `comparable_by: store`, but no entity named 'store' is declared "
        "on this view.",
    ]),
])
def test_shift_measures(shift, expected):
    w = view("w", f"""
        dimensions:
          - {{name: id, type: string, expr: id}}
        entities:
          - {{name: customer, type: foreign, key: id}}
          - {{name: account, type: foreign, key: id}}
        measures:
          - {{name: n, type: count}}
          - {{name: other, shift: {{measure: n, by: 1 day}}}}
          - name: m
            shift: {shift}
    """)
    # The customer lifespan lives on another view; comparable_by only needs it declared somewhere.
    lifespans = view("customers", """
        dimensions:
          - {name: id, type: string, expr: id}
        entities:
          - {name: customer, key: id, lifespan: {start: created_at}}
          - {name: account, key: id}
    """)
    assert errors([w, lifespans]) == expected


@pytest.mark.parametrize("entities, expected", [
    ("- {name: region}\n- {name: customer, parent: region}", []),
    ("- {name: region}\n- {name: customer, type: foreign, parent: region}",
     ["[w] entity 'customer' declares `parent: region` but is not a primary entity. The parent "
      "relationship is intrinsic to the entity and belongs on its primary declaration; foreign "
      "declarations are usages and cannot carry `parent:`."]),
    ("- {name: region, type: foreign}\n- {name: customer, parent: region}",
     ["[w] entity 'customer' declares `parent: region` but no view declares 'region' as a primary "
      "entity. The hierarchy dead-ends; the chain cannot be walked."]),
])
def test_entity_parents(entities, expected):
    assert errors([view("w", "entities:\n" + textwrap.indent(entities, "  "))]) == expected


@pytest.mark.parametrize("driver, expected", [
    ("{measure: x}", None),
    ("{measure: x, coefficient: 0.5}", None),
    ("{measure: x, form: log-log, coefficients: [1]}", None),
    ("{measure: x, form: cubic, coefficients: [1, 2, 3]}", None),
    ("{measure: x, form: linear-log-quadratic, coefficients: [1, 2]}", None),
    ("{measure: x, form: quadratic}", None),
    ("{measure: x, form: quadratic, coefficient: 2}",
     "declares 1 coefficient(s) but this `form:` needs 2"),
    ("{measure: x, coefficients: []}", "declares 0 coefficient(s) but this `form:` needs 1"),
    ("{measure: x, form: sqrt, coefficients: [1, 2]}",
     "declares 2 coefficient(s) but this `form:` needs 1"),
    ("{measure: x, form: cubic, coefficient: 1, coefficients: [1, 2, 3]}",
     "declares both `coefficient:` and `coefficients:` \u2014 write one, since which of them the "
     "forecast used would be unknowable"),
])
def test_measure_drivers(driver, expected):
    w = view("w", f"""
        measures:
          - name: m
            type: count
            drivers:
              - {{measure: ok}}
              - {driver}
    """)
    assert errors([w]) == ([] if expected is None else [f"[w] measure 'm' driver 'x' {expected}"])


def test_topics():
    topics = [
        doc("""
            name: sales
            views: [v, ghost, customers, phantom]
            base_view: nowhere
        """),
        doc("""
            name: crm
            views: []
            base_view: customers
        """),
    ]
    assert errors([V, CUSTOMERS], topics) == [
        "[topic:sales] References unknown view: 'ghost'",
        "[topic:sales] References unknown view: 'phantom'",
        "[topic:sales] base_view 'nowhere' is not a known view",
    ]


MOTIFS = [
    doc("name: rank\ntype: builtin"),
    doc("name: ranks\ntype: builtin"),
    doc("name: rank\ntype: builtin"),
    doc("name: empty"),
    doc("""
        name: share
        params:
          basis: {type: measure}
        outputs:
          - {name: a, expr: "{{ basis }} / {{measure}} over {{ window }} {{time}} {{ dimensions }} {{threshold}}"}
          - {name: b, expr: "{{ x }} + {{y}} + {{ x }} + {{ v.count }}"}
    """),
    doc("""
        name: Rank
        type: builtin
    """),
    doc("""
        name: adder
        adds:
          - {name: total, expr: "SUM({{ measure }})"}
    """),
]


def test_motifs_are_checked_by_compile():
    assert compile_errors([V], motifs=MOTIFS) == [
        "[motif:ranks] Unknown builtin motif name",
        "[motif:rank] Duplicate motif name",
        "[motif:empty] Custom motif must have at least one 'outputs' entry",
        "[motif:share] outputs column 'b' references undeclared param '{{x}}' in expr",
        "[motif:share] outputs column 'b' references undeclared param '{{y}}' in expr",
        "[motif:share] outputs column 'b' references undeclared param '{{x}}' in expr",
        "[motif:Rank] Unknown builtin motif name",
    ]


def test_saved_queries_are_checked_by_compile():
    queries = [
        doc("name: inline\nmeasures: [v.count]"),
        doc("name: nothing"),
        doc("name: filters_only\nfilters: [{member: v.x, operator: set}]"),
        doc("name: broken\nlimit: lots\nmeasures: [v.count]"),
        doc("""
            name: steps
            measures: [v.count]
            steps:
              - {name: s1, query: {measures: [v.count]}}
              - {name: s2, query: {}}
              - {name: s1, query: {}}
              - {name: s1, query: {}}
        """),
        doc("name: inline\ndimensions: [v.x]"),
    ]
    assert compile_errors([V], queries=queries) == [
        "[query:nothing] Query must have at least one step or inline query fields",
        "[query:filters_only] Query must have at least one step or inline query fields",
        "[query:broken] Query must have at least one step or inline query fields",
        "[query:steps] Duplicate step name: 's1'",
        "[query:steps] Duplicate step name: 's1'",
    ]


def test_compile_reports_view_problems_as_a_schema_error():
    assert compile_errors([V, view("w", source="")]) == ["[w] View must have either 'table' or 'sql'"]


def test_lines_follow_the_order_of_the_checks():
    broken = view("a", """
        dimensions:
          - {name: id, type: string, expr: id}
        entities:
          - {name: acct, key: id, parent: nowhere, lifespan: {start: s, from: ghosts}}
        measures:
          - name: m
            type: count
            expr: "{{ nope.x }}"
            drivers:
              - {measure: d, coefficients: [1, 2]}
          - {name: p, shift: {measure: m, by: soon}}
    """, source="")
    topic = doc("name: t\nviews: [ghost]")
    assert errors([broken, CUSTOMERS, view("customers")], [topic]) == [
        "Duplicate view name: 'customers'",
        "[a] View must have either 'table' or 'sql'",
        "[a] Measure 'm' references unknown entity/view 'nope' in expr",
        "[a] entity 'acct' lifespan `from: ghosts` names a view that does not exist",
        "[a] shift measure 'p' has an invalid `by`: invalid interval 'soon': "
        "expected \"<int> <unit>\" (e.g. \"1 year\")",
        "[a] entity 'acct' declares `parent: nowhere` but no view declares 'nowhere' as a primary "
        "entity. The hierarchy dead-ends; the chain cannot be walked.",
        "[a] measure 'm' driver 'd' declares 2 coefficient(s) but this `form:` needs 1",
        "[topic:t] References unknown view: 'ghost'",
    ]


# Promotion: the cycle is an error line in its debugging form; shadowed and ambiguous promoted
# measures are warnings.

def hierarchy(*links):
    """One view per entity, each declaring it primary with the given parent."""
    docs = []
    for number, (name, parent) in enumerate(links):
        docs.append(view(f"v{number}", f"""
            dimensions:
              - {{name: id, type: string, expr: id}}
            entities:
              - {{name: {json.dumps(name)}, key: id, parent: {json.dumps(parent)}}}
        """))
    return docs


@pytest.mark.parametrize("links, expected", [
    ([("a", "b"), ("b", "a")], {
        'SchemaError("entity parent hierarchy has a cycle: a \u2192 b \u2192 a")',
        'SchemaError("entity parent hierarchy has a cycle: b \u2192 a \u2192 b")',
    }),
    ([("c", "c")], {'SchemaError("entity parent hierarchy has a cycle: c \u2192 c")'}),
    ([('q"\\', 'q"\\')],
     {'SchemaError("entity parent hierarchy has a cycle: q\\"\\\\ \u2192 q\\"\\\\")'}),
    ([("t\tn\nr\r'\u200b\x7f", "t\tn\nr\r'\u200b\x7f")],
     {'SchemaError("entity parent hierarchy has a cycle: t\\tn\\nr\\r\'\\u{200b}\\u{7f} \u2192 '
      't\\tn\\nr\\r\'\\u{200b}\\u{7f}")'}),
])
def test_parent_cycle_is_reported_in_debugging_form(links, expected):
    lines = errors(hierarchy(*links))
    assert len(lines) == 1 and lines[0] in expected


FACT = view("orders", """
    dimensions:
      - {name: cid, type: string, expr: cid}
    entities:
      - {name: customer, type: foreign, key: cid}
    measures:
      - {name: count, type: count}
      - {name: revenue, type: sum, expr: amount}
""")
OTHER_FACT = view("returns", """
    dimensions:
      - {name: cid, type: string, expr: cid}
    entities:
      - {name: customer, type: foreign, key: cid}
    measures:
      - {name: revenue, type: sum, expr: amount}
""")
CUSTOMERS_WITH_COUNT = CUSTOMERS + doc("""
    measures:
      - {name: count, type: count}
""")


def run_validate(views):
    """validate in a fresh interpreter: (accepted, exact bytes it wrote to file descriptor 2)."""
    script = "import orvane, sys\ntry:\n    orvane.validate(sys.argv[1:])\nexcept ValueError:\n    sys.exit(3)\n"
    done = subprocess.run([sys.executable, "-c", script, *views], capture_output=True)
    assert done.returncode in (0, 3), done.stderr
    return done.returncode == 0, done.stderr.decode()


def test_warnings_reach_the_standard_error_descriptor():
    dangling = view("w", """
        dimensions:
          - {name: k, type: string, expr: k}
        entities:
          - {name: store, type: foreign, key: k}
          - {name: customer, type: foreign, key: k}
          - {name: store, type: foreign, key: k}
    """)
    assert run_validate([dangling]) == (True, (
        "Warning: [w] Foreign entity 'store' has no matching primary entity in any view \u2014 join "
        "will not be available\n"
        "Warning: [w] Foreign entity 'customer' has no matching primary entity in any view \u2014 "
        "join will not be available\n"
        "Warning: [w] Foreign entity 'store' has no matching primary entity in any view \u2014 join "
        "will not be available\n"))
    assert run_validate([dangling, CUSTOMERS, view("bad", source="")]) == (False, (
        "Warning: [w] Foreign entity 'store' has no matching primary entity in any view \u2014 join "
        "will not be available\n" * 2))


def test_promotion_warnings():
    ok, stderr = run_validate([FACT, OTHER_FACT, CUSTOMERS_WITH_COUNT])
    assert ok
    assert stderr == (
        "Warning: [customers] explicit measure 'count' shadows promoted measure(s) from "
        "orders[customer] \u2014 the induced measure is not exposed.\n"
        "\nWarning: [customers] measure 'revenue' is induced from multiple source views "
        "(orders[customer], returns[customer]). Queries must use `through` to disambiguate.\n")


def test_warnings_are_seen_by_capfd(capfd):
    dangling = view("w", "entities:\n  - {name: store, type: foreign}\n")
    assert errors([dangling]) == []
    assert capfd.readouterr().err == (
        "Warning: [w] Foreign entity 'store' has no matching primary entity in any view \u2014 join "
        "will not be available\n")


def receiver(name, entity, measures):
    measure_lines = "".join(f"\n  - {{name: {m}, type: count}}" for m in measures)
    return view(name, f"""
        dimensions:
          - {{name: id, type: string, expr: id}}
        entities:
          - {{name: {entity}, key: id}}
    """) + ("measures:" + measure_lines + "\n" if measures else "")


def source(name, entities, measures):
    entity_lines = "".join(f"\n  - {{name: {e}, type: foreign, key: k}}" for e in entities)
    measure_lines = "".join(f"\n  - {{name: {m}, type: count}}" for m in measures)
    return view(name, "dimensions:\n  - {name: k, type: string, expr: k}\n") + (
        "entities:" + entity_lines + "\nmeasures:" + measure_lines + "\n")


def test_promotion_warnings_come_sorted_by_receiving_view_then_measure():
    ok, stderr = run_validate([
        receiver("zeta", "z", ["m_b"]), receiver("yak", "y", ["m_c"]),
        source("f2", ["z"], ["m_c", "m_d"]), source("f1", ["z", "y"], ["m_d", "m_c", "m_b"]),
    ])
    assert ok
    assert stderr == (
        "Warning: [yak] explicit measure 'm_c' shadows promoted measure(s) from f1[y] \u2014 the "
        "induced measure is not exposed.\n"
        "Warning: [zeta] explicit measure 'm_b' shadows promoted measure(s) from f1[z] \u2014 the "
        "induced measure is not exposed.\n"
        "\nWarning: [zeta] measure 'm_c' is induced from multiple source views (f2[z], f1[z]). "
        "Queries must use `through` to disambiguate.\n"
        "\nWarning: [zeta] measure 'm_d' is induced from multiple source views (f2[z], f1[z]). "
        "Queries must use `through` to disambiguate.\n")

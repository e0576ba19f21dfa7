"""catalog_list: every semantic object as one small record, in a fixed order and shape."""

import textwrap

import orvane


def doc(text):
    return textwrap.dedent(text).strip() + "\n"


def builtin(name, description, params):
    return {"description": f"{description} (params: {params})", "kind": "motif",
            "member_type": "builtin", "name": name}


BUILTINS = [
    builtin("yoy", "Year-over-year comparison", "measure, time"),
    builtin("qoq", "Quarter-over-quarter comparison", "measure, time"),
    builtin("mom", "Month-over-month comparison", "measure, time"),
    builtin("wow", "Week-over-week comparison", "measure, time"),
    builtin("dod", "Day-over-day comparison", "measure, time"),
    builtin("anomaly", "Anomaly detection using z-score", "measure, threshold"),
    builtin("contribution",
            "Contribution analysis \u2014 share of each row's measure relative to total", "measure"),
    builtin("trend", "Linear trend (regression slope + intercept)", "measure, time"),
    builtin("moving_average", "Moving average over a sliding window", "measure, time, window"),
    builtin("rank", "Rank rows by measure descending", "measure"),
    builtin("percent_of_total", "Each row's measure as a percentage of the total", "measure"),
    builtin("cumulative", "Running cumulative sum", "measure, time"),
]


def listing(*args):
    """The catalog, checking on the way that every entry's keys are in ascending byte order."""
    entries = orvane.catalog_list(*args)
    for entry in entries:
        keys = [key.encode() for key in entry]
        assert keys == sorted(keys), entry
        if "meta" in entry:
            assert [k.encode() for k in entry["meta"]] == sorted(k.encode() for k in entry["meta"])
    return entries


def test_builtin_motifs_are_listed_without_documents():
    assert listing([]) == BUILTINS


def test_one_view_with_one_dimension():
    orders = doc("""
        name: orders
        dimensions:
          - {name: status, type: string, expr: status}
    """)
    assert listing([orders]) == [
        {"kind": "view", "name": "orders"},
        {"kind": "dimension", "member_type": "string", "name": "orders.status", "view": "orders"},
    ] + BUILTINS


def test_view_members_in_order_with_descriptions_and_meta():
    # No table or sql, and a duplicated view: listing never validates.
    orders = doc("""
        name: orders
        description: ""
        meta: {zeta: [z], alpha: [a2, a1], "\u00e9": [], Beta: [b]}
        entities:
          - {name: order, key: id, description: the order}
          - {name: customer, type: foreign, key: cid, meta: {}}
        segments:
          - {name: big, expr: amount > 100, description: ""}
        measures:
          - {name: revenue, type: sum, expr: amount, description: Total}
          - {name: previous, shift: {measure: revenue, by: 1 year}}
          - {name: uniq, type: count_distinct_approx, expr: cid}
        dimensions:
          - {name: created, type: datetime, expr: created_at, description: ""}
          - {name: place, type: geo, expr: loc}
    """)
    bare = doc("name: bare\ndescription: Things")
    assert listing([orders, bare, bare]) == [
        {"kind": "view", "meta": {"Beta": ["b"], "alpha": ["a2", "a1"], "zeta": ["z"],
                                  "\u00e9": []}, "name": "orders"},
        {"description": "", "kind": "dimension", "member_type": "datetime",
         "name": "orders.created", "view": "orders"},
        {"kind": "dimension", "member_type": "geo", "name": "orders.place", "view": "orders"},
        {"description": "Total", "kind": "measure", "member_type": "sum", "name": "orders.revenue",
         "view": "orders"},
        {"kind": "measure", "member_type": "number", "name": "orders.previous", "view": "orders"},
        {"kind": "measure", "member_type": "count_distinct_approx", "name": "orders.uniq",
         "view": "orders"},
        {"description": "", "kind": "segment", "name": "orders.big", "view": "orders"},
        {"description": "the order", "kind": "entity", "member_type": "primary",
         "name": "orders.order", "view": "orders"},
        {"kind": "entity", "member_type": "foreign", "meta": {}, "name": "orders.customer",
         "view": "orders"},
        {"description": "Things", "kind": "view", "name": "bare"},
        {"description": "Things", "kind": "view", "name": "bare"},
    ] + BUILTINS


def test_topics_motifs_and_saved_queries():
    topics = [
        doc("name: sales\ndescription: Sales\nviews: [orders]\nbase_view: orders\nmeta: {k: [v]}"),
        doc("name: empty\ndescription: ''\nviews: []"),
    ]
    motifs = [
        doc("""
            name: share
            description: Share of total
            params:
              x: {type: number, default: 1}
            outputs:
              - {name: a, expr: "{{ measure }}"}
              - {name: b, expr: "{{ x }}"}
        """),
        doc("""
            name: bare_params
            params:
              p: {type: string}
        """),
        doc("name: nothing\nmeta: {owner: [me]}"),
        doc("name: rank\ntype: builtin\ndescription: Mine"),
        doc("name: rank\ntype: builtin"),
    ]
    queries = [
        doc("name: inline\ndescription: One\nmeasures: [orders.count]"),
        doc("""
            name: two
            description: Two
            steps:
              - {name: s1, query: {measures: [orders.count]}}
              - {name: s2, query: {}}
        """),
        doc("""
            name: two_bare
            meta: {a: [b]}
            steps:
              - {name: s1, query: {}}
              - {name: s2, query: {}}
        """),
        doc("name: empty"),
    ]
    assert listing([], topics, motifs, queries) == [
        {"description": "Sales", "kind": "topic", "meta": {"k": ["v"]}, "name": "sales"},
        {"kind": "topic", "name": "empty"},
    ] + BUILTINS + [
        {"description": "Share of total (params: x) (outputs: a, b)", "kind": "motif",
         "member_type": "custom", "name": "share"},
        {"description": " (params: p)", "kind": "motif", "member_type": "custom",
         "name": "bare_params"},
        {"kind": "motif", "member_type": "custom", "meta": {"owner": ["me"]}, "name": "nothing"},
        {"description": "Mine", "kind": "motif", "member_type": "builtin", "name": "rank"},
        {"kind": "motif", "member_type": "builtin", "name": "rank"},
        {"description": "One", "kind": "saved_query", "member_type": "single_step",
         "name": "inline"},
        {"description": "Two (steps: s1, s2)", "kind": "saved_query", "member_type": "multi_step",
         "name": "two"},
        {"description": " (steps: s1, s2)", "kind": "saved_query", "member_type": "multi_step",
         "meta": {"a": ["b"]}, "name": "two_bare"},
        {"kind": "saved_query", "member_type": "single_step", "name": "empty"},
    ]

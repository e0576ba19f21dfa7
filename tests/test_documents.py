"""Loading view, topic, motif and saved-query documents through the public functions."""
import textwrap

import orvane
import pytest


def doc(text):
    return textwrap.dedent(text).lstrip("\n")


def error_of(call, *args, **kwargs):
    """The message of the ValueError that call(*args, **kwargs) must raise."""
    with pytest.raises(ValueError) as caught:
        call(*args, **kwargs)
    return str(caught.value)


def load_error(views, topics=None):
    return error_of(orvane.validate, views, topics)


VIEW_PREFIX = "Failed to parse view YAML from <view_0>: "

# Documents that must load. Each row names the rule it exercises.
LOADABLE_VIEWS = {
    "only a name": "name: v",
    "unknown keys at every level are ignored": """
        name: v
        colour: blue
        table: t
        dimensions:
          - {name: d, type: string, expr: d, colour: red}
        measures:
          - name: m
            type: sum
            expr: x
            drivers:
              - {measure: other, colour: green}
        """,
    "entity without type, with keys and lifespan": """
        name: v
        entities:
          - name: customer
            keys: [a, b]
            lifespan: {start: created_at, end: closed_at, from: other}
            parent: company
        """,
    "driver with every key": """
        name: v
        measures:
          - name: m
            type: sum
            expr: x
            drivers:
              - measure: price
                direction: negative
                strength: weak
                confidence: high
                coefficient: 2
                coefficients: [1, 2.5]
                form: log-log
                intercept: -1.5
                lag: 3
                refs: [a]
        """,
    "shift without type or direction is a number measure": """
        name: v
        measures:
          - name: prior_revenue
            shift: {measure: revenue, by: 1 year}
        """,
    "measure filters and rolling window": """
        name: v
        measures:
          - name: m
            type: count
            filters: [{expr: "{CUBE}.x > 1", description: big}]
            rolling_window: {trailing: 7 day}
        """,
    "refresh key `every` on the view and a pre-aggregation": """
        name: v
        refresh_key: {every: 1 hour}
        pre_aggregations:
          - name: p
            dimensions: [v.a]
            refresh_key: {sql: SELECT 1}
        """,
    "null refresh key and null optional texts": """
        name: v
        description: ~
        refresh_key: null
        measures: null
        """,
    "view-level scalars are taken as written": """
        name: 2024
        description: 2024
        table: true
        segments:
          - {name: 1, expr: null}
        meta: {year: [2024, true]}
        """,
    "quoted number is text inside a dimension": """
        name: v
        dimensions:
          - {name: d, type: number, expr: x, description: "2024", primary_key: true}
        """,
    "meta with a one-element list and a repeated key": """
        name: v
        meta:
          tags: [finance]
          tags: [core, finance]
        dimensions:
          - {name: d, type: string, expr: d, meta: {owner: [me]}}
        """,
    "full entity with inherits_from needs no globals": """
        name: v
        entities:
          - {name: customer, inherits_from: globals.semantics.entities.customer}
        """,
    "full dimension and measure keep their inherits_from": """
        name: v
        dimensions:
          - {name: d, type: date, expr: d, inherits_from: globals.semantics.dimensions.d}
        measures:
          - {name: m, type: count, inherits_from: globals.semantics.measures.m}
        """,
    "anchors and aliases": """
        name: v
        dimensions:
          - &base {name: a, type: string, expr: a}
          - *base
        segments:
          - {name: s, expr: &cond x > 1}
          - {name: t, expr: *cond}
        """,
    "explicit string tag inside an item": """
        name: v
        dimensions:
          - {name: !!str 2024, type: string, expr: x}
        """,
}


@pytest.mark.parametrize("text", LOADABLE_VIEWS.values(), ids=LOADABLE_VIEWS.keys())
def test_view_documents_that_load(text):
    assert orvane.catalog_list([doc(text)])[0]["kind"] == "view"


# (document, message after the label prefix)
VIEW_READING_ERRORS = {
    "missing name": ("table: t", "missing field `name`"),
    "duplicate top-level key": ("name: a\nname: b", "duplicate field `name`"),
    "duplicate key in a segment": (
        "name: v\nsegments:\n  - {name: s, expr: x, expr: y}",
        "duplicate field `expr`",
    ),
    "segment without expr": ("name: v\nsegments:\n  - {name: s}", "missing field `expr`"),
    "pre-aggregation without name": ("name: v\npre_aggregations:\n  - {}", "missing field `name`"),
    "refresh key with both keys": (
        "name: v\nrefresh_key: {sql: x, every: 1 day}",
        "refresh_key must have exactly one of `sql` or `every`, not both",
    ),
    "empty refresh key": (
        "name: v\nrefresh_key: {}",
        "refresh_key must have exactly one of `sql` or `every` keys",
    ),
    "refresh key with an unknown key": (
        "name: v\nrefresh_key: {cron: x, sql: y}",
        "refresh_key has unknown key `cron`; only `sql` or `every` are allowed",
    ),
    "NUL byte in a message": (
        'name: v\nrefresh_key: {"cr\\0on": x}',
        "refresh_key has unknown key `cr\x00on`; only `sql` or `every` are allowed",
    ),
    "pre-aggregation refresh key": (
        "name: v\npre_aggregations:\n  - {name: p, refresh_key: {}}",
        "refresh_key must have exactly one of `sql` or `every` keys",
    ),
    "measure with only a name": (
        "name: v\nmeasures:\n  - name: m",
        "data did not match any variant of untagged enum MeasureItem",
    ),
    "measure type alias avg": (
        "name: v\nmeasures:\n  - {name: m, type: avg, expr: x}",
        "data did not match any variant of untagged enum MeasureItem",
    ),
    "duplicated key inside a measure": (
        "name: v\nmeasures:\n  - {name: m, type: sum, expr: x, expr: y}",
        "data did not match any variant of untagged enum MeasureItem",
    ),
    "driver with an unknown strength": (
        "name: v\nmeasures:\n  - {name: m, type: sum, expr: x, drivers: [{measure: p, strength: huge}]}",
        "data did not match any variant of untagged enum MeasureItem",
    ),
    "negative driver lag": (
        "name: v\nmeasures:\n  - {name: m, type: sum, expr: x, drivers: [{measure: p, lag: -1}]}",
        "data did not match any variant of untagged enum MeasureItem",
    ),
    "misspelt dimension type": (
        "name: v\ndimensions:\n  - {name: d, type: strng, expr: d}",
        "data did not match any variant of untagged enum DimensionItem",
    ),
    "plain number where a dimension expects text": (
        "name: v\ndimensions:\n  - {name: d, type: string, expr: d, description: 2024}",
        "data did not match any variant of untagged enum DimensionItem",
    ),
    "quoted boolean for primary_key": (
        "name: v\ndimensions:\n  - {name: d, type: string, expr: d, primary_key: 'true'}",
        "data did not match any variant of untagged enum DimensionItem",
    ),
    "dimension that is a scalar": (
        "name: v\ndimensions:\n  - d",
        "data did not match any variant of untagged enum DimensionItem",
    ),
    "entity with a misspelt type and no inherits_from": (
        "name: v\nentities:\n  - {name: e, type: primry}",
        "data did not match any variant of untagged enum EntityItem",
    ),
    "entity with a null inherits_from only": (
        "name: v\nentities:\n  - {inherits_from: null}",
        "data did not match any variant of untagged enum EntityItem",
    ),
    "plain number in an item's meta list": (
        "name: v\nentities:\n  - {name: e, meta: {tags: [2024]}}",
        "data did not match any variant of untagged enum EntityItem",
    ),
}


@pytest.mark.parametrize(
    "text, message", VIEW_READING_ERRORS.values(), ids=VIEW_READING_ERRORS.keys()
)
def test_view_reading_errors(text, message):
    assert load_error([text]) == VIEW_PREFIX + message


# Compiling and validating only check documentation (descriptions, labels, samples, synonyms,
# meta); the catalog keeps it. Both must fail alike: (document, message after the label prefix).
DOCUMENTATION_ERRORS = {
    "view description that is a mapping": (
        "name: v\ndescription: {a: b}",
        "invalid type: map, expected a string at line 2 column 14",
    ),
    "view meta value that is text": (
        "name: v\nmeta: {owners: alice}",
        'invalid type: string "alice", expected a sequence at line 2 column 16',
    ),
    "meta value is checked before its key": (
        "name: v\nmeta:\n  ? [k]\n  : 5",
        "invalid type: integer `5`, expected a sequence at line 4 column 5",
    ),
    "meta key that is a list": (
        "name: v\nmeta:\n  ? [k]\n  : [a]",
        "invalid type: sequence, expected a string at line 3 column 5",
    ),
    "segment description that is a list": (
        "name: v\nsegments:\n  - {name: s, expr: x, description: [a]}",
        "invalid type: sequence, expected a string at line 3 column 37",
    ),
    "dimension samples that are text": (
        "name: v\ndimensions:\n  - {name: d, type: string, expr: d, samples: abc}",
        "data did not match any variant of untagged enum DimensionItem",
    ),
    "measure filter description that is a list": (
        "name: v\nmeasures:\n  - {name: m, type: count, filters: [{expr: x, description: [a]}]}",
        "data did not match any variant of untagged enum MeasureItem",
    ),
}


@pytest.mark.parametrize(
    "text, message", DOCUMENTATION_ERRORS.values(), ids=DOCUMENTATION_ERRORS.keys()
)
def test_documentation_fails_alike_whether_kept_or_only_checked(text, message):
    calls = [
        lambda: orvane.catalog_list([text]),
        lambda: orvane.validate([text]),
        lambda: orvane.compile([text], '{"measures": ["v.m"]}', "postgres"),
    ]
    for call in calls:
        assert error_of(call) == VIEW_PREFIX + message


# The reader's own type and syntax errors: (document, start of message, line, column).
TYPE_ERRORS = {
    "scalar meta value": ("name: v\nmeta:\n  tags: finance", "invalid type", 3, 9),
    "mapping where a list is expected": ("name: v\ndimensions: {a: 1}", "invalid type", 2, 13),
    "scalar where a mapping is expected": ("name: v\nrefresh_key: daily", "invalid type", 2, 14),
    "list where text is expected": ("name: [a, b]", "invalid type", 1, 7),
    "null list": ("name: v\nsegments: null", "invalid type", 2, 11),
    "root is a list": ("- name: v", "invalid type", 1, 1),
    "unclosed flow sequence": ("name: v\ntable: [a\n", "while parsing a flow sequence", 3, 1),
    "undefined alias": ("name: v\ntable: *nowhere", "unknown anchor `nowhere`", 2, 8),
    "control character after a multi-byte one": (
        "name: v\ntable: é\x01",
        "control characters are not allowed",
        2,
        9,
    ),
}


@pytest.mark.parametrize(
    "text, start, line, column", TYPE_ERRORS.values(), ids=TYPE_ERRORS.keys()
)
def test_reader_errors_name_line_and_column(text, start, line, column):
    message = load_error([text])
    assert message.startswith(VIEW_PREFIX + start)
    assert message.endswith(f" at line {line} column {column}")


def test_labels_count_documents_of_each_kind():
    good = "name: a"
    assert load_error([good, "name: [b"]).startswith("Failed to parse view YAML from <view_1>: ")
    topic = "name: t\nviews: [a]"
    assert load_error([good], [topic, topic, "views: [a]"]) == (
        "Failed to parse topic YAML from <topic_2>: missing field `name`"
    )


@pytest.mark.parametrize(
    "text",
    ["name: a\n---\nname: b", "--- {name: a}\n--- {name: a}", "name: a\n...\n---\n"],
)
def test_more_than_one_document_is_refused(text):
    assert load_error([text]) == (
        VIEW_PREFIX + "deserializing from YAML containing more than one document is not supported"
    )


@pytest.mark.parametrize("text", ["", "# only a comment\n", "---\n"])
def test_empty_documents_fail(text):
    assert load_error([text]).startswith(VIEW_PREFIX)


# Inheritance with no globals loaded: (items, message without a label).
INHERITANCE_ERRORS = {
    "inherit dimension": (
        "dimensions:\n  - {name: mine, inherits_from: globals.semantics.dimensions.region}",
        "No globals loaded, but dimension 'region' references globals",
    ),
    "inherit measure without type or shift": (
        "measures:\n  - {name: mine, inherits_from: globals.semantics.measures.revenue}",
        "No globals loaded, but measure 'revenue' references globals",
    ),
    "entity whose full form fails": (
        "entities:\n  - {type: foreign, inherits_from: globals.semantics.entities.customer}",
        "No globals loaded, but entity 'customer' references globals",
    ),
    "dimension path of the wrong kind": (
        "dimensions:\n  - {inherits_from: globals.semantics.measures.region}",
        "Invalid dimension inheritance path: 'globals.semantics.measures.region'. "
        "Expected: globals.semantics.dimensions.<name>",
    ),
    "measure path with five parts": (
        "measures:\n  - {inherits_from: globals.semantics.measures.a.b}",
        "Invalid measure inheritance path: 'globals.semantics.measures.a.b'. "
        "Expected: globals.semantics.measures.<name>",
    ),
    "entity path with a leading space": (
        "entities:\n  - {inherits_from: ' globals.semantics.entities.c'}",
        "Invalid entity inheritance path: ' globals.semantics.entities.c'. "
        "Expected: globals.semantics.entities.<name>",
    ),
}


@pytest.mark.parametrize(
    "items, message", INHERITANCE_ERRORS.values(), ids=INHERITANCE_ERRORS.keys()
)
def test_inheritance_errors_carry_no_label(items, message):
    assert load_error(["name: v\n" + items]) == message


def test_entities_resolve_before_dimensions_and_measures():
    text = doc(
        """
        name: v
        measures: [{inherits_from: globals.semantics.measures.m}]
        dimensions: [{inherits_from: globals.semantics.dimensions.d}]
        entities: [{inherits_from: globals.semantics.entities.e}]
        """
    )
    assert load_error([text]) == "No globals loaded, but entity 'e' references globals"


def test_first_failing_view_ends_loading():
    inherit = "name: v\ndimensions: [{inherits_from: globals.semantics.dimensions.d}]"
    assert load_error([inherit, "name: [broken"]) == (
        "No globals loaded, but dimension 'd' references globals"
    )


# Topics ---------------------------------------------------------------------------------------

LOADABLE_TOPICS = {
    "name and views only": "name: t\nviews: []",
    "everything": """
        name: t
        description: 2024
        views: [orders, customers]
        base_view: orders
        retrieval: {exclude: [x]}
        meta: {owner: [me]}
        default_filters:
          - {field: orders.status, eq: {value: 5}}
          - {field: orders.status, in: {values: [a, 1, null]}, colour: red}
          - {field: orders.day, in_date_range: {from: 2024-01-01, to: [a]}}
          - {field: orders.status, neq: {value: x}, eq: {}}
        """,
}


@pytest.mark.parametrize("text", LOADABLE_TOPICS.values(), ids=LOADABLE_TOPICS.keys())
def test_topic_documents_that_load(text):
    assert orvane.catalog_list(["name: orders"], [doc(text)])[1]["kind"] == "topic"


TOPIC_PREFIX = "Failed to parse topic YAML from <topic_0>: "

TOPIC_ERRORS = {
    "missing views": ("name: t", "missing field `views`"),
    "unknown operator": (
        "name: t\nviews: []\ndefault_filters: [{field: a, like: {value: x}}]",
        "no variant of enum TopicFilterType found in flattened data",
    ),
    "filter without field": (
        "name: t\nviews: []\ndefault_filters: [{eq: {value: x}}]",
        "missing field `field`",
    ),
    "filter with field twice": (
        "name: t\nviews: []\ndefault_filters: [{field: a, field: b, eq: {value: x}}]",
        "duplicate field `field`",
    ),
    "in without values": (
        "name: t\nviews: []\ndefault_filters: [{field: a, in: {value: [x]}}]",
        "missing field `values`",
    ),
    "date range without to": (
        "name: t\nviews: []\ndefault_filters: [{field: a, not_in_date_range: {from: x}}]",
        "missing field `to`",
    ),
    "scalar operator without value": (
        "name: t\nviews: []\ndefault_filters: [{field: a, lte: {values: [1]}}]",
        "missing field `value`",
    ),
    "first operator wins even when malformed": (
        "name: t\nviews: []\ndefault_filters: [{field: a, gt: {}, eq: {value: 1}}]",
        "missing field `value`",
    ),
}


@pytest.mark.parametrize("text, message", TOPIC_ERRORS.values(), ids=TOPIC_ERRORS.keys())
def test_topic_reading_errors(text, message):
    assert load_error(["name: orders"], [text]) == TOPIC_PREFIX + message


# Record contents, as the catalog lists them -----------------------------------------------------


def catalog(views, topics=None, motifs=None, queries=None):
    entries = orvane.catalog_list(views, topics, motifs, queries)
    return [e for e in entries if not (e["kind"] == "motif" and e.get("member_type") == "builtin"
                                       and e["name"] in BUILTIN_NAMES)]


BUILTIN_NAMES = {"yoy", "qoq", "mom", "wow", "dod", "anomaly", "contribution", "trend",
                 "moving_average", "rank", "percent_of_total", "cumulative"}


def test_view_records_keep_order_types_and_texts():
    text = doc(
        """
        name: orders
        description: 2024
        meta: {tags: [a], tags: [2024, true]}
        entities:
          - {name: order, key: id}
          - {name: customer, type: foreign, description: ""}
        dimensions:
          - {name: status, type: string, expr: status}
          - {name: id, type: number, expr: id, description: "2024"}
        measures:
          - {name: prior, shift: {measure: count, by: 1 month}}
          - {name: count, type: count}
        segments:
          - {name: open, expr: status = 'open', meta: {}}
        """
    )
    assert catalog([text]) == [
        {"description": "2024", "kind": "view", "meta": {"tags": ["2024", "true"]}, "name": "orders"},
        {"kind": "dimension", "member_type": "string", "name": "orders.status", "view": "orders"},
        {"description": "2024", "kind": "dimension", "member_type": "number", "name": "orders.id",
         "view": "orders"},
        {"kind": "measure", "member_type": "number", "name": "orders.prior", "view": "orders"},
        {"kind": "measure", "member_type": "count", "name": "orders.count", "view": "orders"},
        {"kind": "segment", "meta": {}, "name": "orders.open", "view": "orders"},
        {"kind": "entity", "member_type": "primary", "name": "orders.order", "view": "orders"},
        {"description": "", "kind": "entity", "member_type": "foreign", "name": "orders.customer",
         "view": "orders"},
    ]


def test_view_without_measures_lists_no_measures():
    entries = catalog(["name: v\ndimensions: [{name: d, type: geo, expr: d}]"])
    assert [e["kind"] for e in entries] == ["view", "dimension"]


def test_topic_records():
    topic = "name: t\ndescription: about t\nviews: [v]\nmeta: {k: [x]}"
    assert catalog(["name: v"], [topic]) == [
        {"kind": "view", "name": "v"},
        {"description": "about t", "kind": "topic", "meta": {"k": ["x"]}, "name": "t"},
    ]


# Motifs ---------------------------------------------------------------------------------------

MOTIF_RECORDS = {
    "only a name is a custom motif": ("name: m", {"member_type": "custom"}),
    "adds is outputs": (
        "name: m\nadds: [{name: a, expr: x}, {name: b, expr: y}]",
        {"member_type": "custom", "description": " (outputs: a, b)"},
    ),
    "repeated parameter keeps the last definition": (
        doc(
            """
            name: m
            type: builtin
            description: d
            params:
              x: {type: number, default: 5}
              x: {type: enum, values: [a, b], constraints: [numeric, temporal], default: {k: [1]}}
            returns: 2024
            meta: {k: [v]}
            """
        ),
        {"member_type": "builtin", "description": "d (params: x)", "meta": {"k": ["v"]}},
    ),
}


@pytest.mark.parametrize("text, expected", MOTIF_RECORDS.values(), ids=MOTIF_RECORDS.keys())
def test_motif_records(text, expected):
    (entry,) = catalog(["name: v"], motifs=[text])[1:]
    assert entry == {"kind": "motif", "name": "m", **expected}


MOTIF_PREFIX = "Failed to parse motif YAML from <motif_0>: "

MOTIF_ERRORS = {
    "both outputs and adds": (
        "name: m\noutputs: []\nadds: []",
        "duplicate field `outputs`",
    ),
    "adds twice": ("name: m\nadds: []\nadds: []", "duplicate field `outputs`"),
    "parameter without type": ("name: m\nparams: {x: {description: d}}", "missing field `type`"),
    "unknown parameter type": (
        "name: m\nparams: {x: {type: float}}",
        "unknown variant `float`, expected one of `measure`, `dimension`, `number`, `string`, `enum`",
    ),
    "unknown motif type": (
        "name: m\ntype: derived",
        "unknown variant `derived`, expected `builtin` or `custom`",
    ),
    "unknown constraint": (
        "name: m\nparams: {x: {type: number, constraints: [positive]}}",
        "unknown variant `positive`, expected `numeric` or `temporal`",
    ),
    "output without expr": ("name: m\noutputs: [{name: a}]", "missing field `expr`"),
}


@pytest.mark.parametrize("text, message", MOTIF_ERRORS.values(), ids=MOTIF_ERRORS.keys())
def test_motif_reading_errors(text, message):
    assert error_of(orvane.catalog_list, ["name: v"], None, [text]) == MOTIF_PREFIX + message


# Saved queries ----------------------------------------------------------------------------------

SAVED_QUERY_RECORDS = {
    "inline query is one step": ("name: q\nmeasures: [v.c]\ndimensions: [v.d]", "single_step", None),
    "steps win over inline fields": (
        doc(
            """
            name: q
            description: two
            measures: [v.c]
            steps:
              - {name: s1, query: {measures: [v.c]}}
              - name: s2
                description: second
                query:
                  dimensions: [v.d]
                  filters:
                    - member: v.d
                      operator: {equals: null}
                      values: ["5"]
                    - or: [{member: v.d, operator: set}, {and: []}]
                      operator: null
                  time_dimensions: [{dimension: v.t, granularity: day, date_range: [last 7 days]}]
                  order: [[v.d], {id: v.c, desc: true}]
                  limit: 10
                  offset: ~
                  timezone: UTC
                  ungrouped: false
                  through: [customer]
                  motif: yoy
                  motif_params: {window: 3, nested: {a: [1, x]}}
            """
        ),
        "multi_step",
        "two (steps: s1, s2)",
    ),
    "positional step query": (
        "name: q\nsteps:\n  - {name: a, query: [[v.c], [], [], [], [], [], 5, null, null, false, [], null]}"
        "\n  - {name: b, query: {}}",
        "multi_step",
        " (steps: a, b)",
    ),
    "invalid inline fields are dropped silently": (
        "name: q\nmeasures: [v.c]\nlimit: '10'\nparams: {p: {type: anything, default: [1]}}",
        "single_step",
        None,
    ),
    "plain number in inline measures drops the inline query": (
        "name: q\nmeasures: [2024]\nmeasures_extra: 1",
        "single_step",
        None,
    ),
    "repeated inline key drops the inline query": (
        "name: q\nmeasures: [a]\nmeasures: [b]",
        "single_step",
        None,
    ),
}


@pytest.mark.parametrize(
    "text, member_type, description", SAVED_QUERY_RECORDS.values(), ids=SAVED_QUERY_RECORDS.keys()
)
def test_saved_query_records(text, member_type, description):
    (entry,) = catalog(["name: v"], queries=[text])[1:]
    expected = {"kind": "saved_query", "member_type": member_type, "name": "q"}
    if description is not None:
        expected["description"] = description
    assert entry == expected


QUERY_PREFIX = "Failed to parse query YAML from <query_0>: "

SAVED_QUERY_ERRORS = {
    "step without query": ("name: q\nsteps: [{name: s}]", "missing field `query`"),
    "duplicate name": ("name: q\nname: r", "duplicate field `name`"),
    "parameter without type": ("name: q\nparams: {p: {values: [a]}}", "missing field `type`"),
    "unknown operator in a step": (
        "name: q\nsteps: [{name: s, query: {filters: [{member: v.d, operator: Equals}]}}]",
        "unknown variant `Equals`, expected one of `equals`, `notEquals`, `contains`, "
        "`notContains`, `startsWith`, `notStartsWith`, `endsWith`, `notEndsWith`, `gt`, `gte`, "
        "`lt`, `lte`, `set`, `notSet`, `inDateRange`, `notInDateRange`, `beforeDate`, "
        "`beforeOrOnDate`, `afterDate`, `afterOrOnDate`, `onTheDate`",
    ),
    "time dimension without dimension": (
        "name: q\nsteps: [{name: s, query: {time_dimensions: [{granularity: day}]}}]",
        "missing field `dimension`",
    ),
    "short positional request": (
        "name: q\nsteps: [{name: s, query: [[a], [b]]}]",
        "invalid length 6, expected struct QueryRequest with 13 elements at line 2 column 26",
    ),
    "short positional order": (
        "name: q\nsteps: [{name: s, query: {order: [[]]}}]",
        "invalid length 0, expected struct OrderBy with 2 elements at line 2 column 35",
    ),
    "positional request element read before the missing one": (
        "name: q\nsteps: [{name: s, query: [[a], 5]}]",
        "invalid type: integer `5`, expected a sequence at line 2 column 32",
    ),
    "short positional filter": (
        "name: q\nsteps: [{name: s, query: {filters: [[v.d, equals, []]]}}]",
        "invalid length 3, expected struct QueryFilter with 5 elements at line 2 column 37",
    ),
}


@pytest.mark.parametrize(
    "text, message", SAVED_QUERY_ERRORS.values(), ids=SAVED_QUERY_ERRORS.keys()
)
def test_saved_query_reading_errors(text, message):
    assert error_of(orvane.catalog_list, ["name: v"], None, None, [text]) == QUERY_PREFIX + message


# Step queries follow the query reader's value rules; these errors carry a position.
STEP_VALUE_ERRORS = {
    "number in values": ("{filters: [{member: v.d, operator: equals, values: [5]}]}",
                         "invalid type: integer `5`, expected a string"),
    "negative limit": ("{limit: -1}", "invalid value: integer `-1`, expected u64"),
    "fractional limit": ("{limit: 10.5}", "invalid type: floating point `10.5`, expected u64"),
    "null ungrouped": ("{ungrouped: null}", "invalid type: null, expected a boolean"),
    "number where a filter is expected": ("{filters: [5]}",
                                          "invalid type: integer `5`, expected struct QueryFilter"),
    "bare string date range": (
        "{time_dimensions: [{dimension: v.t, date_range: last week}]}",
        "invalid type: string \"last week\", expected a sequence",
    ),
}


@pytest.mark.parametrize("query, message", STEP_VALUE_ERRORS.values(), ids=STEP_VALUE_ERRORS.keys())
def test_step_query_value_errors(query, message):
    text = f"name: q\nsteps:\n  - name: s\n    query: {query}"
    assert error_of(orvane.catalog_list, ["name: v"], None, None, [text]).startswith(
        QUERY_PREFIX + message + " at line 4 column "
    )


QUERY = '{"measures": ["orders.count"], "dimensions": ["orders.status"]}'


def test_topic_motif_and_saved_query_documents_leave_the_sql_unchanged(orders_view):
    plain = orvane.compile([orders_view], QUERY, "postgres")
    topic = doc(
        """
        name: t
        views: [orders]
        base_view: orders
        default_filters: [{field: orders.status, eq: {value: shipped}}]
        """
    )
    with_documents = orvane.compile(
        [orders_view], QUERY, "postgres", [topic], ["name: m\nadds: [{name: a, expr: x}]"],
        ["name: q\nmeasures: [orders.count]"],
    )
    assert with_documents == plain


def test_view_source_is_taken_as_written(orders_view):
    view = orders_view.replace("table: orders", "table: 2024")
    from_clause = orvane.compile([view], QUERY, "postgres")["sql"].split("FROM")[1]
    assert "2024" in from_clause


NO_STEPS = "Schema error: [query:q] Query must have at least one step or inline query fields"

INLINE_QUERIES = {
    "measures inline": ("name: q\nmeasures: [orders.count]", None),
    "dimensions inline with every other field": (
        doc(
            """
            name: q
            dimensions: [orders.status]
            filters: [{member: orders.status, operator: set}]
            order: [{id: orders.status}]
            limit: 5
            offset: 0
            ungrouped: true
            motif_params: {k: v}
            """
        ),
        None,
    ),
    "only filters": ("name: q\nfilters: [{member: orders.status, operator: set}]", NO_STEPS),
    "text limit": ("name: q\nmeasures: [orders.count]\nlimit: '10'", NO_STEPS),
    "null ungrouped": ("name: q\nmeasures: [orders.count]\nungrouped: ~", NO_STEPS),
    "invalid inline fields beside steps": (
        "name: q\nmeasures: 5\nsteps: [{name: s, query: {measures: [orders.count]}}]",
        None,
    ),
}


@pytest.mark.parametrize("text, error", INLINE_QUERIES.values(), ids=INLINE_QUERIES.keys())
def test_inline_query_fields_make_the_implicit_step(orders_view, text, error):
    query = '{"measures": ["orders.count"]}'
    if error is None:
        assert orvane.compile([orders_view], query, "postgres", queries_yaml=[text])["sql"]
    else:
        assert error_of(orvane.compile, [orders_view], query, "postgres", queries_yaml=[text]) == error

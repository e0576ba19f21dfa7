"""Loading view, topic, motif and saved-query documents through the public functions."""
import textwrap

import orvane
import pytest


def doc(text):
    return textwrap.dedent(text).lstrip("\n")


def load_error(views, topics=None):
    with pytest.raises(ValueError) as caught:
        orvane.validate(views, topics)
    return str(caught.value)


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
    assert orvane.validate([doc(text)]) is True


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
    assert orvane.validate(["name: orders"], [doc(text)]) is True


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

"""The module's surface: exports, signatures, docstrings, argument handling, result shapes."""
import collections.abc
import inspect

import orvane
import pytest

COMPILE_DOC = """Compile a semantic query to SQL.

Args:
    views_yaml: List of .view.yml file contents (YAML strings).
    query_json: Query as JSON string (same format as ``orvane query -q``).
    dialect: SQL dialect string (e.g., "postgres", "bigquery", "duckdb").
    topics_yaml: Optional list of .topic.yml file contents.
    motifs_yaml: Optional list of .motif.yml file contents.
    queries_yaml: Optional list of .query.yml file contents (saved queries).

Returns:
    dict with ``sql``, ``params``, ``columns``, and ``default_limit_applied`` keys.

Raises:
    ValueError: If inputs are invalid or compilation fails."""

VALIDATE_DOC = """Validate view YAML without compiling a query.

Args:
    views_yaml: List of .view.yml file contents (YAML strings).
    topics_yaml: Optional list of .topic.yml file contents.

Returns:
    True if all views parse and validate successfully.

Raises:
    ValueError: If validation fails."""

CATALOG_DOC = """List all semantic objects (views, dimensions, measures, motifs, etc.).

Args:
    views_yaml: List of .view.yml file contents (YAML strings).
    topics_yaml: Optional list of .topic.yml file contents.
    motifs_yaml: Optional list of .motif.yml file contents.
    queries_yaml: Optional list of .query.yml file contents (saved queries).

Returns:
    list of dicts, each with ``kind``, ``name``, ``description``, ``view``,
    ``member_type``, and ``meta`` keys.

Raises:
    ValueError: If inputs are invalid."""


def test_module_exports_exactly_three_functions():
    public = {name for name in vars(orvane) if not name.startswith("__")}
    assert public == {"compile", "validate", "catalog_list"}
    assert orvane.__doc__ == "The orvane Python module."


@pytest.mark.parametrize(
    "function, signature, doc",
    [
        (
            orvane.compile,
            "(views_yaml, query_json, dialect, topics_yaml=None, motifs_yaml=None, queries_yaml=None)",
            COMPILE_DOC,
        ),
        (orvane.validate, "(views_yaml, topics_yaml=None)", VALIDATE_DOC),
        (
            orvane.catalog_list,
            "(views_yaml, topics_yaml=None, motifs_yaml=None, queries_yaml=None)",
            CATALOG_DOC,
        ),
    ],
)
def test_signatures_and_docstrings(function, signature, doc):
    assert str(inspect.signature(function)) == signature
    assert function.__text_signature__ == signature
    assert function.__doc__ == doc


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: orvane.compile([], "{}", "pg", None, None, None, None),
         "compile() takes from 3 to 6 positional arguments but 7 were given"),
        (lambda: orvane.validate([], None, None),
         "validate() takes from 1 to 2 positional arguments but 3 were given"),
        (lambda: orvane.compile([], "{}", "pg", x=1),
         "compile() got an unexpected keyword argument 'x'"),
        (lambda: orvane.compile([], "{}", "pg", dialect="pg"),
         "compile() got multiple values for argument 'dialect'"),
        (lambda: orvane.compile([], "{}"),
         "compile() missing 1 required positional argument: 'dialect'"),
        (lambda: orvane.compile([]),
         "compile() missing 2 required positional arguments: 'query_json' and 'dialect'"),
        (lambda: orvane.catalog_list(),
         "catalog_list() missing 1 required positional argument: 'views_yaml'"),
        (lambda: orvane.compile(query_json="{}", dialect="pg"),
         "compile() missing 1 required positional argument: 'views_yaml'"),
    ],
)
def test_argument_count_errors_use_python_wording(call, message):
    with pytest.raises(TypeError) as raised:
        call()
    assert str(raised.value) == message


@pytest.mark.parametrize(
    "kwargs, parameter",
    [
        ({"views_yaml": "name: orders"}, "views_yaml"),
        ({"views_yaml": 5}, "views_yaml"),
        ({"views_yaml": ["name: a", 3]}, "views_yaml"),
        ({"views_yaml": None}, "views_yaml"),
        ({"query_json": b"{}"}, "query_json"),
        ({"dialect": None}, "dialect"),
        ({"topics_yaml": "name: t"}, "topics_yaml"),
        ({"motifs_yaml": [1]}, "motifs_yaml"),
        ({"queries_yaml": 1.5}, "queries_yaml"),
    ],
)
def test_conversion_errors_are_type_errors_noted_with_the_parameter(kwargs, parameter):
    arguments = {"views_yaml": [], "query_json": "{}", "dialect": "postgres", **kwargs}
    with pytest.raises(TypeError) as raised:
        orvane.compile(**arguments)
    assert raised.value.__notes__ == [f"while processing '{parameter}'"]


def test_a_str_is_refused_as_a_document_list_with_a_clear_message():
    with pytest.raises(TypeError, match="str"):
        orvane.validate("name: orders\ntable: orders\n")


class DocumentList(collections.abc.Sequence):
    def __init__(self, *texts):
        self.texts = texts

    def __getitem__(self, index):
        return self.texts[index]

    def __len__(self):
        return len(self.texts)


@pytest.mark.parametrize("views", [[], (), DocumentList()])
def test_sequences_of_any_kind_are_accepted(views):
    assert orvane.validate(views) is True
    assert orvane.validate(views, topics_yaml=views) is True


@pytest.mark.parametrize(
    "name",
    ["postgres", "PostgreSQL", "PG", "mysql", "BigQuery", "bq", "snowflake", "SF", "duckdb",
     "Duck", "MotherDuck", "GSheets", "vettra", "VETTRA_MANAGED", "clickhouse", "CH",
     "databricks", "redshift", "rs", "sqlite", "domo", "presto", "Trino"],
)
def test_every_accepted_dialect_name_resolves(name):
    with pytest.raises(ValueError) as raised:
        orvane.compile([], "{}", name)
    assert not str(raised.value).startswith("Unknown dialect")


@pytest.mark.parametrize(
    "name", [" postgres", "postgres ", "postgre", "", "mssql", "trino\n", "post\x00gres"]
)
def test_unknown_dialects_echo_the_callers_spelling(name):
    with pytest.raises(ValueError) as raised:
        orvane.compile([], "{}", name)
    assert str(raised.value) == f"Unknown dialect: {name}"


# A NUL in a caller's text must not cut the message short wherever the error is rewrapped.
NUL_MESSAGES = {
    "query JSON error": (
        ["name: v\ntable: t\nmeasures:\n  - {name: m, type: count}"],
        '{"measures": ["v.m"], "filters": [{"member": "v.m", "operator": "a\\u0000b"}]}',
        "Invalid query JSON: unknown variant `a\x00b`, expected one of",
    ),
    "schema error at build": (
        ['name: v\ntable: t\nentities:\n  - {name: e, type: primary, key: "a\\0b"}'],
        '{"measures": []}',
        "Schema error: [v] Entity 'e' references key 'a\x00b' which is not a dimension",
    ),
}


@pytest.mark.parametrize("views, query, start", NUL_MESSAGES.values(), ids=NUL_MESSAGES.keys())
def test_messages_keep_the_bytes_after_a_nul(views, query, start):
    with pytest.raises(ValueError) as raised:
        orvane.compile(views, query, "postgres")
    assert str(raised.value).startswith(start)


def test_a_broken_document_is_reported_before_an_unknown_dialect():
    with pytest.raises(ValueError) as raised:
        orvane.compile(["name: [unclosed"], "{}", "NoSuchDialect")
    assert str(raised.value).startswith("Failed to parse view YAML from <view_0>: ")


def test_a_broken_query_is_reported_after_the_dialect():
    with pytest.raises(ValueError) as raised:
        orvane.compile([], "not json", "Oracle")
    assert str(raised.value) == "Unknown dialect: Oracle"
    with pytest.raises(ValueError) as raised:
        orvane.compile([], "not json", "postgres")
    assert str(raised.value).startswith("Invalid query JSON: ")

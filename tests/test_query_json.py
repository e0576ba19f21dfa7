"""The query JSON reader: accepted forms, and the message and position of every kind of problem."""

import random

import orvane
import pytest

OPERATORS = (
    "`equals`, `notEquals`, `contains`, `notContains`, `startsWith`, `notStartsWith`, "
    "`endsWith`, `notEndsWith`, `gt`, `gte`, `lt`, `lte`, `set`, `notSet`, `inDateRange`, "
    "`notInDateRange`, `beforeDate`, `beforeOrOnDate`, `afterDate`, `afterOrOnDate`, `onTheDate`"
)


def compile_error(query_text):
    """The message of compiling `query_text` against no views, or None when it compiles."""
    try:
        orvane.compile([], query_text, "postgres")
    except ValueError as error:
        return str(error)
    return None


def parse_error(query_text):
    """The reader's message, or None when the text parsed (whatever later stages said)."""
    message = compile_error(query_text)
    prefix = "Invalid query JSON: "
    if message is not None and message.startswith(prefix):
        return message[len(prefix):]
    return None


def nested_filters(levels):
    """A request whose filters nest `levels` and-groups; each group adds two containers."""
    return '{"filters": ' + '[{"and": ' * levels + "[]" + "}]" * levels + "}"


ACCEPTED = [
    "{}",
    "  \n\t{ }\r\n",
    '{"measures": ["orders.count"], "dimensions": ["orders.status"], "segments": [], '
    '"through": ["orders"], "ungrouped": false, "limit": 0, "offset": 18446744073709551615}',
    '{"limit": null, "offset": null, "timezone": null, "motif": null}',
    '{"unknown": {"deep": [1, -2.5e-3, true, null, "\\u00e9", {"x": []}]}, "also": 1e999}',
    '{"unknown": ' + "[" * 1000 + "]" * 1000 + "}",
    '{"filters": [{"member": "a.b", "operator": "equals", "values": ["5"]}]}',
    '{"filters": [{"member": "a.b", "operator": {"notInDateRange": null}, "values": []}]}',
    '{"filters": [{"operator": null, "member": null}]}',
    '{"filters": [{"and": [], "or": [{"member": "a.b"}]}, {"and": null, "or": null}]}',
    '{"filters": [["a.b", "gt", ["1"], null, null], [null, null, [], [], null]]}',
    '{"time_dimensions": [{"dimension": "a.t", "granularity": null, "date_range": null}]}',
    '{"time_dimensions": [{"dimension": "a.t", "date_range": ["last 7 days"]}, ["a.t", "day", null]]}',
    '{"order": [{"id": "a.b"}, {"id": "a.c", "desc": true}, ["a.d"], ["a.e", false]]}',
    '{"motif_params": {"window": 3, "k": "v", "k": [1, {"b": 2, "a": 1}], "n": null}}',
    '{"measures": ["\\"\\\\\\/\\b\\f\\n\\r\\t\\u0041\\ud83d\\ude00"]}',
    # The positional request: the first twelve elements, then optionally motif_params.
    '[[], [], [], [], [], [], null, null, null, false, [], null]',
    '[["a.m"], ["a.d"], [], [], [], [], 5, 0, "UTC", true, [], "m", {"p": 1}]',
    nested_filters(62),
]


@pytest.mark.parametrize("query_text", ACCEPTED)
def test_accepted_forms_parse(query_text):
    assert parse_error(query_text) is None


ERRORS = [
    # Structure and end of text.
    ("", "EOF while parsing a value at line 1 column 0"),
    ("  \n ", "EOF while parsing a value at line 2 column 1"),
    ("{} x", "trailing characters at line 1 column 4"),
    ("{}\n\n  {}", "trailing characters at line 3 column 3"),
    ('{"measures": [', "EOF while parsing a list at line 1 column 14"),
    ('{"measures": []', "EOF while parsing an object at line 1 column 15"),
    ('{"measures"', "EOF while parsing an object at line 1 column 11"),
    ('{"measures":', "EOF while parsing a value at line 1 column 12"),
    ('{"measures": ["a', "EOF while parsing a string at line 1 column 16"),
    ('{"measures": ["a",]}', "trailing comma at line 1 column 19"),
    ('{"measures": ["a" "b"]}', "expected `,` or `]` at line 1 column 19"),
    ('{"measures": [] "x": 1}', "expected `,` or `}` at line 1 column 17"),
    ('{"measures": [],}', "trailing comma at line 1 column 17"),
    ('{"measures" []}', "expected `:` at line 1 column 13"),
    ("{measures: []}", "key must be a string at line 1 column 2"),
    ('{"x": tru}', "expected ident at line 1 column 10"),
    ('{"x": nul', "EOF while parsing a value at line 1 column 9"),
    ('{"x": +1}', "expected value at line 1 column 7"),
    ('{"x": [1,]}', "expected value at line 1 column 10"),
    ('{"x": [1 2]}', "expected `,` or `]` at line 1 column 10"),
    ('{"x": {"a" 1}}', "expected `:` at line 1 column 12"),
    ("5", "invalid type: integer `5`, expected struct QueryRequest at line 1 column 1"),
    ('"q"', 'invalid type: string "q", expected struct QueryRequest at line 1 column 3'),
    # Field rules.
    ('{"measures": [], "measures": []}', "duplicate field `measures` at line 1 column 27"),
    ('{"limit": null,\n "limit" : 1}', "duplicate field `limit` at line 2 column 9"),
    ('{"measures": 5}', "invalid type: integer `5`, expected a sequence at line 1 column 14"),
    ('{"measures": null}', "invalid type: null, expected a sequence at line 1 column 17"),
    ('{"measures": {}}', "invalid type: map, expected a sequence at line 1 column 13"),
    ('{"measures": [5]}', "invalid type: integer `5`, expected a string at line 1 column 15"),
    ('{"measures": [-5]}', "invalid type: integer `-5`, expected a string at line 1 column 16"),
    ('{"measures": [[]]}', "invalid type: sequence, expected a string at line 1 column 14"),
    ('{"ungrouped": null}', "invalid type: null, expected a boolean at line 1 column 18"),
    ('{"ungrouped": "yes"}', 'invalid type: string "yes", expected a boolean at line 1 column 19'),
    ('{"through": null}', "invalid type: null, expected a sequence at line 1 column 16"),
    ('{"motif_params": null}', "invalid type: null, expected a map at line 1 column 21"),
    ('{"motif_params": []}', "invalid type: sequence, expected a map at line 1 column 17"),
    ('{"timezone": 1}', "invalid type: integer `1`, expected a string at line 1 column 14"),
    # limit and offset.
    ('{"limit": -1}', "invalid value: integer `-1`, expected u64 at line 1 column 12"),
    ('{"limit": 10.5}', "invalid type: floating point `10.5`, expected u64 at line 1 column 14"),
    ('{"offset": 1e3}', "invalid type: floating point `1000.0`, expected u64 at line 1 column 14"),
    ('{"limit": -0}', "invalid type: floating point `-0.0`, expected u64 at line 1 column 12"),
    (
        '{"limit": 18446744073709551616}',
        "invalid type: floating point `18446744073709552000.0`, expected u64 at line 1 column 30",
    ),
    (
        '{"limit": -9223372036854775808}',
        "invalid value: integer `-9223372036854775808`, expected u64 at line 1 column 30",
    ),
    ('{"limit": "5"}', 'invalid type: string "5", expected u64 at line 1 column 13'),
    ('{"limit": 1e400}', "number out of range at line 1 column 15"),
    ('{"limit": 01}', "invalid number at line 1 column 12"),
    ('{"limit": 1.}', "invalid number at line 1 column 13"),
    ('{"limit": 1e}', "invalid number at line 1 column 13"),
    ('{"limit": -}', "invalid number at line 1 column 12"),
    # Records and their positional forms.
    ('{"filters": [5]}', "invalid type: integer `5`, expected struct QueryFilter at line 1 column 14"),
    ('{"filters": ["a"]}', 'invalid type: string "a", expected struct QueryFilter at line 1 column 16'),
    (
        '{"time_dimensions": [null]}',
        "invalid type: null, expected struct TimeDimensionQuery at line 1 column 25",
    ),
    ('{"order": [true]}', "invalid type: boolean `true`, expected struct OrderBy at line 1 column 15"),
    (
        '{"time_dimensions": [{"granularity": "day"}]}',
        "missing field `dimension` at line 1 column 43",
    ),
    ('{"order": [{"desc": true}\n]}', "missing field `id` at line 1 column 25"),
    ('{"order": [{"id": "a.b", "desc": null}]}', "invalid type: null, expected a boolean at line 1 column 37"),
    (
        '{"time_dimensions": [{"dimension": "a.t", "date_range": "last 7 days"}]}',
        'invalid type: string "last 7 days", expected a sequence at line 1 column 69',
    ),
    ("[]", "invalid length 6, expected struct QueryRequest with 13 elements at line 1 column 2"),
    (
        "[[], [], [], [], [], [], 1, 2]",
        "invalid length 8, expected struct QueryRequest with 13 elements at line 1 column 30",
    ),
    (
        "[[], [], [], [], [], [], null, null, null, false, []]",
        "invalid length 11, expected struct QueryRequest with 13 elements at line 1 column 53",
    ),
    (
        "[[], [], [], [], [], [], null, null, null, false, [], null, {}, 1]",
        "trailing characters at line 1 column 65",
    ),
    (
        '{"filters": [["a.b", "equals"]]}',
        "invalid length 3, expected struct QueryFilter with 5 elements at line 1 column 30",
    ),
    (
        '{"filters": [[null, null, [], null]]}',
        "invalid length 4, expected struct QueryFilter with 5 elements at line 1 column 35",
    ),
    (
        '{"time_dimensions": [["a.t", "day"]]}',
        "invalid length 2, expected struct TimeDimensionQuery with 3 elements at line 1 column 35",
    ),
    ('{"order": [[]]}', "invalid length 0, expected struct OrderBy with 2 elements at line 1 column 13"),
    ('{"order": [["a.b", true, 1]]}', "trailing characters at line 1 column 26"),
    # Operators.
    (
        '{"filters": [{"operator": "Equals"}]}',
        "unknown variant `Equals`, expected one of " + OPERATORS + " at line 1 column 34",
    ),
    (
        '{"filters": [{"operator": {"between": null}}]}',
        "unknown variant `between`, expected one of " + OPERATORS + " at line 1 column 36",
    ),
    ('{"filters": [{"operator": 5}]}', "expected value at line 1 column 27"),
    (
        '{"filters": [{"operator": {"equals": 1}}]}',
        "invalid type: integer `1`, expected unit at line 1 column 38",
    ),
    (
        '{"filters": [{"operator": {"equals": null, "gt": null}}]}',
        "expected value at line 1 column 41",
    ),
    (
        '{"filters": [{"operator": {}}]}',
        "expected value at line 1 column 28",
    ),
    (
        '{"filters": [{"member": "a.b", "operator": "equals", "values": [5]}]}',
        "invalid type: integer `5`, expected a string at line 1 column 65",
    ),
    ('{"filters": [{"values": null}]}', "invalid type: null, expected a sequence at line 1 column 28"),
    # Strings.
    ('{"measures": ["a\\x"]}', "invalid escape at line 1 column 18"),
    ('{"measures": ["\\u12G4"]}', "invalid escape at line 1 column 21"),
    ('{"measures": ["\\udc00"]}', "lone leading surrogate in hex escape at line 1 column 21"),
    ('{"measures": ["\\ud800x"]}', "unexpected end of hex escape at line 1 column 22"),
    ('{"measures": ["\\ud800\\u0041"]}', "lone leading surrogate in hex escape at line 1 column 27"),
    (
        '{"measures": ["a\tb"]}',
        "control character (\\u0000-\\u001F) found while parsing a string at line 1 column 17",
    ),
    ('{"limit": "\\t\\u0001é\\""}', 'invalid type: string "\\t\\u{1}é\\"", expected u64 at line 1 column 24'),
    # Nesting: the 128th container open at once is refused; skipped values are not counted.
    (nested_filters(63), "recursion limit exceeded at line 1 column 580"),
    (
        '{"motif_params": {"a": ' + "[" * 126 + "]" * 126 + "}}",
        "recursion limit exceeded at line 1 column 149",
    ),
]


@pytest.mark.parametrize("query_text, message", ERRORS)
def test_problems_are_reported_with_their_position(query_text, message):
    assert compile_error(query_text) == "Invalid query JSON: " + message


def test_deepest_accepted_value_nests_127_containers():
    assert parse_error('{"motif_params": {"a": ' + "[" * 125 + "]" * 125 + "}}") is None


def test_columns_count_bytes_of_the_current_line():
    # "é" is two bytes: the column after it is one more than the character count.
    assert compile_error('{"measures": ["é"],\n  "x": 1, "limit": -1}') == (
        "Invalid query JSON: invalid value: integer `-1`, expected u64 at line 2 column 21"
    )
    assert compile_error('{"measures": ["é", 1]}') == (
        "Invalid query JSON: invalid type: integer `1`, expected a string at line 1 column 21"
    )


def test_text_that_python_cannot_encode_is_a_value_error():
    with pytest.raises(ValueError):
        orvane.compile([], '{"measures": ["\ud800"]}', "postgres")


def test_arbitrary_text_never_crashes():
    rng = random.Random(20240520)
    alphabet = '{}[]:,"\\ \n\tnultrefas0123456789.-+eEu' + "é😀\x00\x01"
    seeds = [
        '{"filters": [{"member": "a.b", "operator": {"equals": null}, "values": ["1"]}]}',
        '[["a.m"], [], [], [], [{"dimension": "a.t", "date_range": ["today"]}], [], 5]',
    ]
    for _ in range(3000):
        text = list(rng.choice(seeds))
        for _ in range(rng.randint(1, 4)):
            position = rng.randrange(len(text) + 1)
            if rng.random() < 0.5 and text:
                del text[min(position, len(text) - 1)]
            else:
                text.insert(position, rng.choice(alphabet))
        message = compile_error("".join(text))
        assert message is None or isinstance(message, str)

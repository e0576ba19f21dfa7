"""The benchmark's generated schemas and queries are ones orvane accepts, so that the bench measures
real work: every schema validates without a warning, and every query compiles to the statement
shape it stands for."""

import json
import sys
from pathlib import Path

import orvane
import pytest

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "bench"))
import schema_gen  # noqa: E402


@pytest.mark.parametrize("size", [1, 10])
def test_generated_schema_validates_silently(size, capfd):
    assert orvane.validate(schema_gen.schema(size)) is True
    assert capfd.readouterr().err == ""


# query name -> number of LEFT JOINs in its statement
JOINS = {"one_view": 0, "three_view_join": 2, "promoted_measure": 1}


@pytest.mark.parametrize("size", [10])
@pytest.mark.parametrize("name", list(JOINS))
def test_generated_queries_compile_to_their_shape(size, name, capfd):
    query = next(q for q in schema_gen.queries(size) if q.name == name)
    request = json.loads(query.text)
    result = orvane.compile(schema_gen.schema(size), query.text, "postgres")
    assert result["sql"].count("LEFT JOIN") == JOINS[name]
    by_kind = {}
    for column in result["columns"]:
        by_kind.setdefault(column["kind"], []).append(column["member"])
    # A promoted measure comes back under the name it was asked for.
    assert by_kind.get("Measure") == request["measures"]
    assert by_kind.get("Dimension") == request["dimensions"]
    assert len(by_kind.get("TimeDimension", [])) == len(request.get("time_dimensions", []))
    assert capfd.readouterr().err == ""

"""The shop example compiles in every dialect and answers its questions on DuckDB."""
import importlib.util
import json
import pathlib

import orvane
import pytest

EXAMPLE = pathlib.Path(__file__).resolve().parent.parent / "examples" / "run_example.py"
example_loader = importlib.util.spec_from_file_location("run_example", EXAMPLE)
run_example = importlib.util.module_from_spec(example_loader)
example_loader.loader.exec_module(run_example)

DIALECTS = ["postgres", "mysql", "bigquery", "snowflake", "duckdb", "clickhouse", "databricks",
            "redshift", "sqlite", "domo", "presto"]


@pytest.mark.parametrize("dialect", DIALECTS)
def test_every_question_compiles(dialect):
    views = run_example.load_views()
    for _, query in run_example.QUESTIONS:
        result = orvane.compile(views, json.dumps(query), dialect)
        assert result["columns"]


def test_questions_run_on_duckdb():
    pytest.importorskip("duckdb")
    connection = run_example.open_database()
    views = run_example.load_views()
    for _, query in run_example.QUESTIONS:
        result = orvane.compile(views, json.dumps(query), "duckdb")
        rows = connection.execute(result["sql"], result["params"]).fetchall()
        assert rows and len(rows[0]) == len(result["columns"])

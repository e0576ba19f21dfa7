"""The demo of examples/run_engines_demo.py compiles and runs every question on DuckDB."""

import os
import sys

import pytest

EXAMPLES = os.path.join(os.path.dirname(__file__), "..", "..", "examples")


def test_demo_runs_every_question(capsys):
    sys.path.insert(0, os.path.abspath(EXAMPLES))
    try:
        import run_engines_demo
    finally:
        sys.path.pop(0)
    failures = run_engines_demo.run_demo()
    output = capsys.readouterr().out
    if failures and "not built yet" in output:
        pytest.skip("compiler pieces the demo needs are not on this branch yet")
    assert failures == 0, output
    assert "SELECT" in output

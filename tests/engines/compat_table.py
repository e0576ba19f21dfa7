"""Prints the compatibility table of tests/engines/README.md: every case compiled for every
dialect that has an engine here, run, and compared with its Python answer.

    PYTHONPATH=build/dev python3 tests/engines/compat_table.py
"""

import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import orvane  # noqa: E402

from engine_data import VIEWS, generate  # noqa: E402
from engine_queries import ALL_CASES  # noqa: E402
from engine_results import compare_rows  # noqa: E402
from engine_servers import ENGINES  # noqa: E402

COLUMNS = [("duckdb", "duckdb"), ("sqlite", "sqlite"), ("postgres", "postgres"),
           ("redshift", "postgres"), ("mysql", "mariadb"), ("domo", "mariadb"),
           ("clickhouse", "clickhouse")]


def first_line(text: str) -> str:
    line = str(text).strip().splitlines()[0] if str(text).strip() else str(text)
    return line.replace("|", "\\|")[:160]


def main():
    data = generate()
    engines = {}
    for name in sorted({engine for _, engine in COLUMNS}):
        engine = ENGINES[name]()
        engine.start()
        engine.load(list(data.values()))
        engines[name] = engine
    try:
        header = "| case | shape | " + " | ".join(
            f"{d} on {e}" if d != e else d for d, e in COLUMNS) + " |"
        print(header)
        print("|" + " --- |" * (len(COLUMNS) + 2))
        for case in ALL_CASES:
            cells = []
            for dialect, engine in COLUMNS:
                try:
                    result = orvane.compile(VIEWS, json.dumps(case.query), dialect)
                except ValueError as e:
                    cells.append(f"compile error: {first_line(e)}")
                    continue
                try:
                    rows = engines[engine].run(result["sql"], result["params"])
                except Exception as e:
                    cells.append(f"error: {first_line(e)}")
                    continue
                problem = compare_rows(rows, case.expected(data), case.ordered, case.tolerance)
                cells.append("pass" if problem is None else "wrong result")
            print(f"| {case.id} | {case.shape} | " + " | ".join(cells) + " |")
    finally:
        for engine in engines.values():
            engine.stop()


if __name__ == "__main__":
    main()

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
    """The engine's message on one line, without the server's boilerplate."""
    line = " ".join(str(text).split())
    line = line.replace("check the manual that corresponds to your MariaDB server version "
                        "for the right syntax to use ", "")
    return line.replace("|", "\\|")[:200]


def main():
    data = generate()
    engines = {}
    for name in sorted({engine for _, engine in COLUMNS}):
        engine = ENGINES[name]()
        engine.start()
        engine.load(list(data.values()))
        engines[name] = engine
    notes: dict[str, int] = {}

    def note(text: str) -> str:
        number = notes.setdefault(text, len(notes) + 1)
        return f"[{number}]"

    try:
        print("| case | shape | " + " | ".join(
            f"{d} on {e}" if d != e else d for d, e in COLUMNS) + " |")
        print("|" + " --- |" * (len(COLUMNS) + 2))
        for case in ALL_CASES:
            cells = []
            for dialect, engine in COLUMNS:
                try:
                    result = orvane.compile(VIEWS, json.dumps(case.query), dialect)
                except ValueError as e:
                    cells.append("compile error " + note(f"orvane: {first_line(e)}"))
                    continue
                try:
                    rows = engines[engine].run(result["sql"], result["params"])
                except Exception as e:
                    cells.append("error " + note(f"{engine}: {first_line(e)}"))
                    continue
                problem = compare_rows(rows, case.expected(data), case.ordered, case.tolerance)
                if problem is None:
                    cells.append("pass")
                else:
                    why = case.known.get(dialect, ("", first_line(problem)))[1]
                    cells.append("wrong " + note(f"{dialect} on {engine}: {why}"))
            print(f"| {case.id} | {case.shape} | " + " | ".join(cells) + " |")
        print()
        for text, number in notes.items():
            print(f"{number}. {text}")
    finally:
        for engine in engines.values():
            engine.stop()


if __name__ == "__main__":
    main()

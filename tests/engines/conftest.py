"""Fixtures of the end-to-end engine tests: the dataset and the running engines.

Each engine starts on first use, is loaded with the dataset once, and is stopped when the
session ends. Where an engine's software is missing the tests that need it are skipped on
a developer's machine, and fail under CI (CI=true), where every engine must run.
"""

import os
import sys

import pytest

sys.path.insert(0, os.path.dirname(__file__))

import engine_data  # noqa: E402
from engine_servers import ENGINES, EngineUnavailable  # noqa: E402


def in_ci() -> bool:
    return os.environ.get("CI", "").lower() in ("true", "1", "yes")


class EnginePool:
    def __init__(self, tables):
        self.tables = tables
        self.running = {}
        self.failures = {}

    def get(self, name: str):
        if name in self.running:
            return self.running[name]
        if name in self.failures:
            self._report(name, self.failures[name])
        engine = ENGINES[name]()
        try:
            engine.start()
        except Exception as e:  # remembered so that one broken engine fails fast
            self.failures[name] = e
            self._report(name, e)
        self.running[name] = engine
        try:
            engine.load(self.tables)
        except Exception as e:
            self.failures[name] = e
            del self.running[name]
            engine.stop()
            self._report(name, e)
        return engine

    @staticmethod
    def _report(name, error):
        if isinstance(error, EngineUnavailable) and not in_ci():
            pytest.skip(f"{name} is not available here: {error}")
        pytest.fail(f"{name} could not be started: {error}", pytrace=False)

    def stop_all(self):
        for engine in self.running.values():
            try:
                engine.stop()
            except Exception as e:  # keep stopping the others
                print(f"stopping {engine.name} failed: {e}", file=sys.stderr)
        self.running.clear()


@pytest.fixture(scope="session")
def dataset():
    return engine_data.generate()


@pytest.fixture(scope="session")
def engine_pool(dataset):
    pool = EnginePool(list(dataset.values()))
    yield pool
    pool.stop_all()

"""Shift detection over long chains of measure references.

A measure counts as a shift measure when any measure its references reach has a `shift`. The
chains here are long enough that following them on the call stack would overflow a thread's
stack; compiling runs on a thread with a small stack so that such a fault shows at a modest size.
"""

import json
import threading

import orvane
import pytest

CHAIN = 5000
SMALL_STACK = 512 * 1024


def chain_view(first):
    """`m0` is `first`; each later `mI` adds one to `m(I-1)`."""
    lines = ["name: v", "table: t", "measures:", "  - {name: base, type: sum, expr: amount}",
             f"  - {{name: m0, {first}}}"]
    lines += [f'  - {{name: m{i}, type: number, expr: "{{{{ v.m{i - 1} }}}} + 1"}}'
              for i in range(1, CHAIN)]
    return "\n".join(lines) + "\n"


def compile_on_small_stack(view, query):
    outcome = {}

    def work():
        try:
            orvane.compile([view], json.dumps(query), "postgres")
            outcome["message"] = None
        except ValueError as error:
            outcome["message"] = str(error)

    previous = threading.stack_size(SMALL_STACK)
    try:
        thread = threading.Thread(target=work)
        thread.start()
        thread.join()
    finally:
        threading.stack_size(previous)
    return outcome["message"]


@pytest.mark.parametrize("first, message", [
    # The shift at the far end of the chain is found, and named through the requested measure.
    ("shift: {measure: base, by: 1 month}",
     f"SQL generation error: shift measures are not supported yet: measure 'v.m{CHAIN - 1}' "
     "compares periods, which this version cannot compile"),
    # Without a shift the chain passes the check; rendering stops at its depth limit.
    ("type: sum, expr: amount", "SQL generation error: unresolved reference `{{ v.m"),
])
def test_long_reference_chains_are_followed_without_deep_recursion(first, message):
    query = {"measures": [f"v.m{CHAIN - 1}"]}
    assert compile_on_small_stack(chain_view(first), query).startswith(message)

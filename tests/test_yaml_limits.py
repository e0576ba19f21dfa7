"""Hostile YAML ends quickly in a ValueError: no stack overflow, no runaway memory."""
import time

import orvane
import pytest


def billion_laughs(levels=9, width=10):
    lines = ["a0: &a0 [" + ", ".join(["lol"] * width) + "]"]
    for level in range(1, levels):
        refs = ", ".join([f"*a{level - 1}"] * width)
        lines.append(f"a{level}: &a{level} [{refs}]")
    lines.append("name: v")
    return "\n".join(lines)


def nested_aliases(levels=2000):
    # Each anchor sits one level deeper than the last: shallow as written, deep when expanded.
    lines = ["a0: &a0 [x]"]
    lines += [f"a{i}: &a{i} [*a{i - 1}]" for i in range(1, levels)]
    return "\n".join(lines) + "\nname: v"


HOSTILE = {
    "deep flow sequences": "name: " + "[" * 100_000 + "]" * 100_000,
    "deep flow mappings": "name: " + "{a: " * 50_000 + "x" + "}" * 50_000,
    "deep block sequences": "name:\n" + "".join(" " * i + "-\n" for i in range(5000)),
    "deep nesting through aliases": nested_aliases(),
    "billion laughs": billion_laughs(),
    "alias bomb in an item": "name: v\nx: &x [a, a, a, a, a, a, a, a]\n"
    + "".join(f"x{i}: &x{i} [*x{'' if i == 0 else i - 1}, *x{'' if i == 0 else i - 1}]\n"
              for i in range(40))
    + "meta: {tags: *x39}",
    "huge scalar": "name: v\ndescription: " + "a" * (8 << 20),
    "huge document": "name: v\n" + "# filler\n" * (8 << 20),
    "second document": "name: a\n---\nname: b\n" + "x: y\n" * 100_000,
    "lone surrogate": "name: \ud800",
    "control character": "name: a\x00b",
}


@pytest.mark.parametrize("text", HOSTILE.values(), ids=HOSTILE.keys())
def test_hostile_views_fail_quickly(text):
    started = time.monotonic()
    with pytest.raises(ValueError):
        orvane.validate([text])
    assert time.monotonic() - started < 10


@pytest.mark.parametrize(
    "text, message",
    [
        (billion_laughs(), "aliases expand the document beyond the limit of 1000000 units"),
        ("name: " + "[" * 200 + "]" * 200, "nesting deeper than 128 levels"),
        (nested_aliases(200), "nesting deeper than 128 levels"),
        ("name: v\ndescription: " + "a" * (2 << 20), "exceeds the limit of 1048576 bytes"),
    ],
)
def test_limits_are_named_with_their_position(text, message):
    with pytest.raises(ValueError, match=r"^Failed to parse view YAML from <view_0>: ") as caught:
        orvane.validate([text])
    assert message in str(caught.value)
    assert " at line " in str(caught.value)


def test_content_within_the_limits_loads():
    nested = "name: v\nmeta: {tags: [x]}\nextra: " + "[" * 120 + "]" * 120
    shared = "name: v\nx: &x [" + ", ".join(["word"] * 1000) + "]\ny: [" + ", ".join(["*x"] * 100) + "]"
    big = "name: v\ndescription: " + "a" * (1 << 20)
    assert len(orvane.catalog_list([nested, shared, big])) == 3 + 12

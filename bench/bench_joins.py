"""Times join planning on a large schema of long chains.

The schema has CHAINS chains of LENGTH views each; view i of a chain owns its own entity and
points at the entity of view i+1, and the first view of every chain also points at a hub view,
so every view reaches every other one, along paths up to 2 * LENGTH joins long.

Compiling loads and validates the whole schema, which dwarfs planning, so each join query is
timed against a query over its base view alone on the same schema; the difference is what the
joins cost (base-view choice, one search per join target, planning and rendering the joins).
Times are the best of several runs in CPU time of the calling thread, so that other processes on
a busy machine do not inflate them; the loading of 2,000 documents still varies by a few
milliseconds between runs, which bounds what the difference can resolve.

Usage: PYTHONPATH=build/dev python3 bench/bench_joins.py [--chains 20] [--length 100]
"""

import argparse
import json
import time

import orvane


def chain_view(chain, position, length):
    name = f"c{chain}_{position}"
    entities = [f"  - name: e{chain}_{position}\n    type: primary\n    key: id\n"]
    if position + 1 < length:
        entities.append(f"  - name: e{chain}_{position + 1}\n    type: foreign\n    key: next_id\n")
    if position == 0:
        entities.append("  - name: hub\n    type: foreign\n    key: hub_id\n")
    dimensions = "".join(f"  - name: {d}\n    type: string\n    expr: {d}\n"
                         for d in ("id", "next_id", "hub_id", "label"))
    return (f"name: {name}\ntable: {name}\nentities:\n{''.join(entities)}"
            f"dimensions:\n{dimensions}measures:\n  - name: count\n    type: count\n")


def schema(chains, length):
    hub = ("name: hub\ntable: hub\nentities:\n  - name: hub\n    type: primary\n    key: id\n"
           "dimensions:\n  - name: id\n    type: string\n    expr: id\n")
    return [hub] + [chain_view(c, p, length) for c in range(chains) for p in range(length)]


def best_time(views, query, runs):
    text = json.dumps(query)
    best = float("inf")
    for _ in range(runs):
        start = time.thread_time()
        orvane.compile(views, text, "postgres")
        best = min(best, time.thread_time() - start)
    return best


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--chains", type=int, default=20)
    parser.add_argument("--length", type=int, default=100)
    parser.add_argument("--runs", type=int, default=15)
    args = parser.parse_args()
    views = schema(args.chains, args.length)
    last = args.length - 1
    cases = {
        # one distant target: the far end of another chain
        "1 target, far": [f"c1_{last}.label"],
        # several targets spread over the schema
        "8 targets": [f"c{c % args.chains}_{(c * 13) % args.length}.label" for c in range(1, 9)],
    }
    # Dimensions only: the chains' measures would be repeated by these joins.
    baseline = best_time(views, {"dimensions": ["c0_0.label"]}, args.runs)
    print(f"{len(views)} views; single-view compile {baseline * 1e3:.2f} ms")
    for label, dimensions in cases.items():
        query = {"dimensions": ["c0_0.label"] + dimensions}
        elapsed = best_time(views, query, args.runs)
        extra = elapsed - baseline
        joins = orvane.compile(views, json.dumps(query), "postgres")["sql"].count("\nLEFT JOIN ")
        print(f"{label}: {joins} joins, compile {elapsed * 1e3:.2f} ms, difference "
              f"{extra * 1e3:.3f} ms, {extra * 1e3 / len(dimensions):.3f} ms per target")


if __name__ == "__main__":
    main()

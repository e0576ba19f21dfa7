"""Runs under callgrind: warms orvane up, then makes each measured call once through
bench_probes.call, so that callgrind (--toggle-collect and --dump-after on that function) writes one
profile per measured call and nothing else.

Usage: callgrind_probe.py PLAN.json
PLAN holds {"warm": {"views": [...], "queries": [...]},
            "calls": [{"label": ..., "kind": "compile"|"validate", "views": BUNDLE, "query": ...}]}
where BUNDLE is a file of NUL-separated view texts. Prints one line per measured call, in dump
order: the label and "ok" or the error message.
"""

import json
import sys

import bench_probes
import orvane


def main() -> None:
    with open(sys.argv[1], encoding="utf-8") as f:
        plan = json.load(f)
    warm = plan["warm"]
    # One-time initialisation (compiled patterns and the like) happens here, uncounted.
    for query in warm["queries"]:
        for _ in range(2):
            try:
                orvane.compile(warm["views"], query, "postgres")
                orvane.validate(warm["views"])
            except ValueError:
                pass
    bundles: dict[str, list[str]] = {}
    for call in plan["calls"]:
        if call["views"] not in bundles:
            with open(call["views"], encoding="utf-8") as f:
                bundles[call["views"]] = [t for t in f.read().split("\0") if t]
        views = bundles[call["views"]]
        try:
            if call["kind"] == "compile":
                bench_probes.call(orvane.compile, views, call["query"], "postgres")
            else:
                bench_probes.call(orvane.validate, views)
            outcome = "ok"
        except ValueError as failure:
            outcome = str(failure).splitlines()[0]
        print(json.dumps({"label": call["label"], "outcome": outcome}), flush=True)


if __name__ == "__main__":
    main()

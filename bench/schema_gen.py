"""Generated schemas and query mixes for the orvane benchmark.

A schema of N views is a ring of fact-like views. View i declares its own primary entity and
foreign entities pointing at views i+1 and, for even i, i+2 (indices wrap), so every view has two
or three entities, every view can be joined to its neighbours, and every view receives the
measures of its predecessors by promotion. Measure names carry the view name: two views never
declare a measure of the same name, so promotion is never ambiguous and never shadowed, and
validation writes no warnings.

Each view has 20 dimensions of mixed types (string, number, date, datetime, boolean, geo), 10
measures of mixed types (count, sum, average, min, max, count_distinct, count_distinct_approx,
median, a filtered count and a number measure built from two others), three segments, and the
descriptive keys (description, label, meta, samples, synonyms) that real documents carry.

The texts are written by hand rather than dumped, so that they read like authored YAML and do not
depend on a YAML library; tests and the bench check them with a real reader.
"""

from __future__ import annotations

import json
import re
from dataclasses import dataclass

# (plural view stem, singular entity stem) pairs; the view index makes every name unique.
NOUNS = [
    ("orders", "order"),
    ("customers", "customer"),
    ("shipments", "shipment"),
    ("invoices", "invoice"),
    ("products", "product"),
    ("sessions", "session"),
    ("payments", "payment"),
    ("tickets", "ticket"),
    ("accounts", "account"),
    ("campaigns", "campaign"),
    ("refunds", "refund"),
    ("subscriptions", "subscription"),
]

SIZES = (1, 10, 100, 1000)


def view_name(i: int) -> str:
    return f"{NOUNS[i % len(NOUNS)][0]}_{i:04d}"


def entity_name(i: int) -> str:
    return f"{NOUNS[i % len(NOUNS)][1]}_{i:04d}"


def foreign_targets(i: int, n: int) -> list[int]:
    """Indices of the views whose primary entity view i refers to (never itself, no repeats)."""
    steps = (1, 2) if i % 2 == 0 else (1,)
    targets: list[int] = []
    for step in steps:
        j = (i + step) % n
        if j != i and j not in targets:
            targets.append(j)
    return targets


def scalar(text: str) -> str:
    """A YAML scalar as an author writes it: plain for identifiers, double-quoted otherwise."""
    return text if re.fullmatch(r"[A-Za-z_][A-Za-z0-9_]*", text) else json.dumps(text)


def view_yaml(i: int, n: int) -> str:
    name = view_name(i)
    ent = entity_name(i)
    foreign = [entity_name(j) for j in foreign_targets(i, n)]
    fk_dims = [f"{e}_id" for e in foreign]
    m = name  # measure name prefix

    lines = [
        f"name: {name}",
        f"description: Generated {NOUNS[i % len(NOUNS)][0]} view number {i}",
        f"label: {NOUNS[i % len(NOUNS)][0].title()} {i}",
        "datasource: warehouse",
        "dialect: postgres",
        f"table: analytics.{name}",
        "meta:",
        "  owners: [analytics, finance]",
        "  tier: [gold]",
        "entities:",
        f"  - name: {ent}",
        "    type: primary",
        "    key: id",
        f"    description: One row per {ent}",
    ]
    for e, key in zip(foreign, fk_dims):
        lines += [f"  - name: {e}", "    type: foreign", f"    key: {key}"]

    # 20 dimensions: the key, the foreign keys, then typed attributes filling up to 20.
    dims = [("id", "number", "id", ["primary_key: true"])]
    dims += [(key, "number", key, []) for key in fk_dims]
    attributes = [
        ("status", "string", "status", ["samples: [pending, completed, cancelled]"]),
        ("channel", "string", "LOWER(channel)", ["synonyms: [source, medium]"]),
        ("region", "string", "region", []),
        ("country", "string", "UPPER(country_code)", []),
        ("category", "string", "category", ["meta:", "  pii: ['no']"]),
        ("email_domain", "string", "SPLIT_PART(email, '@', 2)", []),
        ("amount", "number", "amount", []),
        ("quantity", "number", "quantity", []),
        ("unit_price", "number", "amount / NULLIF(quantity, 0)", []),
        ("discount", "number", "COALESCE(discount, 0)", []),
        ("created_date", "date", "CAST(created_at AS DATE)", []),
        ("created_at", "datetime", "{{ TABLE }}.created_at", []),
        ("updated_at", "datetime", "updated_at", []),
        ("is_active", "boolean", "is_active", []),
        ("is_test", "boolean", "email LIKE '%@example.com'", []),
        ("location", "geo", "location", []),
        ("tier", "string", "CASE WHEN amount > 1000 THEN 'large' ELSE 'small' END", []),
        ("cohort_month", "date", "DATE_TRUNC('month', first_seen_at)", []),
        ("score", "number", "score", []),
    ]
    dims += attributes[: 20 - len(dims)]
    assert len(dims) == 20
    lines.append("dimensions:")
    for dname, dtype, expr, extra in dims:
        lines += [f"  - name: {dname}", f"    type: {dtype}", f"    expr: {scalar(expr)}"]
        lines += [f"    {x}" for x in extra]
        lines.append(f"    description: The {dname.replace('_', ' ')}")

    fk = fk_dims[0] if fk_dims else "id"
    measures = [
        (f"{m}_count", "count", None, []),
        (f"{m}_total_amount", "sum", "amount", []),
        (f"{m}_average_price", "average", "unit_price", []),
        (f"{m}_smallest_amount", "min", "amount", []),
        (f"{m}_largest_amount", "max", "amount", []),
        (f"{m}_distinct_links", "count_distinct", fk, []),
        (f"{m}_approx_emails", "count_distinct_approx", "email", []),
        (f"{m}_median_amount", "median", "amount", []),
        (
            f"{m}_completed_count",
            "count",
            None,
            ["filters:", "  - expr: \"status = 'completed'\"", "    description: Completed only"],
        ),
        (
            f"{m}_net_amount",
            "number",
            f"{{{{ {m}_total_amount }}}} - SUM(COALESCE(discount, 0))",
            ["synonyms: [net revenue]"],
        ),
    ]
    lines.append("measures:")
    for mname, mtype, expr, extra in measures:
        lines += [f"  - name: {mname}", f"    type: {mtype}"]
        if expr is not None:
            lines.append(f"    expr: {scalar(expr)}")
        lines += [f"    {x}" for x in extra]
        lines.append(f"    description: {mtype.replace('_', ' ')} of the {name} rows")

    lines += [
        "segments:",
        "  - name: completed",
        "    expr: \"status = 'completed'\"",
        "  - name: large",
        "    expr: amount > 1000",
        "    description: Rows above one thousand",
        "  - name: recent",
        "    expr: \"{{ TABLE }}.created_at >= '2024-01-01'\"",
    ]
    return "\n".join(lines) + "\n"


def schema(n: int) -> list[str]:
    """The view document texts of a schema of n views."""
    return [view_yaml(i, n) for i in range(n)]


@dataclass(frozen=True)
class Query:
    name: str
    description: str
    text: str


def one_view_query(v: str) -> dict:
    return {
        "measures": [f"{v}.{v}_count", f"{v}.{v}_total_amount", f"{v}.{v}_net_amount"],
        "dimensions": [f"{v}.status", f"{v}.channel"],
        "time_dimensions": [
            {
                "dimension": f"{v}.created_at",
                "granularity": "month",
                "date_range": ["2024-01-01", "2024-12-31"],
            }
        ],
        "filters": [
            {"member": f"{v}.region", "operator": "equals", "values": ["emea", "apac"]},
            {"member": f"{v}.amount", "operator": "gt", "values": ["100"]},
        ],
        "segments": [f"{v}.completed"],
        "order": [{"id": f"{v}.{v}_total_amount", "desc": True}],
        "limit": 100,
    }


def queries(n: int) -> list[Query]:
    """The query mix for a schema of n views; joins and promotion need at least three views.

    The queried views sit in the middle of the ring, so that no lookup is favoured by being first.
    """
    a = (n // 2) & ~1  # an even index: it has two foreign entities
    va = view_name(a)
    mix = [
        Query(
            "one_view",
            "one-view aggregate: 3 measures, 2 dimensions, filters, segment, month time dimension",
            json.dumps(one_view_query(va)),
        )
    ]
    if n >= 3:
        vb, vc = view_name((a + 1) % n), view_name((a + 2) % n)
        mix.append(
            Query(
                "three_view_join",
                "three-view join: measures of one view by dimensions of two views it refers to",
                json.dumps(
                    {
                        "measures": [f"{va}.{va}_total_amount", f"{va}.{va}_count"],
                        "dimensions": [f"{va}.status", f"{vb}.region", f"{vc}.category"],
                        "filters": [
                            {"member": f"{vb}.country", "operator": "equals", "values": ["DE"]}
                        ],
                        "limit": 500,
                    }
                ),
            )
        )
        mix.append(
            Query(
                "promoted_measure",
                "promoted measure: a measure of one view asked on the view it refers to",
                json.dumps(
                    {
                        "measures": [f"{vb}.{va}_total_amount"],
                        "dimensions": [f"{vb}.region"],
                        "limit": 500,
                    }
                ),
            )
        )
    return mix

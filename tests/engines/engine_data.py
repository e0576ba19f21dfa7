"""A small e-commerce dataset, generated deterministically, and the view documents over it.

Regions, customers (some in no region or segment, some who never ordered), orders with
statuses, channels (sometimes unknown), amounts and UTC timestamps, and order items.
"""

from __future__ import annotations

import datetime as dt
import random
from dataclasses import dataclass, field

SEED = 20240917


@dataclass
class Table:
    name: str
    columns: list[tuple[str, str]]  # (column name, kind: int/text/money/timestamp/date/bool)
    rows: list[dict] = field(default_factory=list)


REGIONS = [(1, "North", "NO"), (2, "South", "SO"), (3, "East", "EA"), (4, "West", "WE"),
           (5, "Central", "CE")]  # Central has no customers
SEGMENTS = ["consumer", "corporate", "small_business"]
STATUSES = ["completed"] * 12 + ["pending"] * 3 + ["cancelled"] * 3 + ["returned"] * 2
CHANNELS = ["web"] * 5 + ["store"] * 3 + ["phone"] * 2
PRODUCTS = [("Kettle", "kitchen"), ("Teapot", "kitchen"), ("Mug", "kitchen"),
            ("Lamp", "home"), ("Rug", "home"), ("Cushion", "home"),
            ("Notebook", "office"), ("Pen set", "office")]
START = dt.datetime(2024, 1, 1)
SPAN_SECONDS = 548 * 24 * 3600  # about eighteen months


def generate() -> dict[str, Table]:
    rng = random.Random(SEED)
    regions = Table("regions", [("id", "int"), ("name", "text"), ("code", "text")])
    for region_id, name, code in REGIONS:
        regions.rows.append({"id": region_id, "name": name, "code": code})

    customers = Table("customers", [("id", "int"), ("name", "text"), ("region_id", "int"),
                                    ("segment", "text"), ("signup_date", "date"),
                                    ("is_vip", "bool")])
    for customer_id in range(1, 81):
        customers.rows.append({
            "id": customer_id,
            "name": f"Customer {customer_id:03d}",
            "region_id": None if rng.random() < 0.07 else rng.randint(1, 4),
            "segment": None if rng.random() < 0.12 else rng.choice(SEGMENTS),
            "signup_date": dt.date(2023, 1, 1) + dt.timedelta(days=rng.randint(0, 700)),
            "is_vip": rng.random() < 0.2,
        })
    # A dozen customers never order.
    buyers = [c["id"] for c in customers.rows]
    rng.shuffle(buyers)
    buyers = sorted(buyers[12:])

    orders = Table("orders", [("id", "int"), ("customer_id", "int"), ("status", "text"),
                              ("channel", "text"), ("amount", "money"),
                              ("created_at", "timestamp"), ("is_gift", "bool")])
    for order_id in range(1, 601):
        created = START + dt.timedelta(seconds=rng.randint(0, SPAN_SECONDS))
        if created.time() == dt.time(0, 0):
            created += dt.timedelta(minutes=7)  # keep midnight out of range comparisons
        orders.rows.append({
            "id": order_id,
            # Skewed: low-numbered buyers order more often.
            "customer_id": buyers[min(int(rng.expovariate(1 / 20)), len(buyers) - 1)],
            "status": rng.choice(STATUSES),
            "channel": None if rng.random() < 0.08 else rng.choice(CHANNELS),
            "amount": round(rng.uniform(5, 500), 2),
            "created_at": created,
            "is_gift": rng.random() < 0.1,
        })

    items = Table("order_items", [("id", "int"), ("order_id", "int"), ("product", "text"),
                                  ("category", "text"), ("quantity", "int"),
                                  ("unit_price", "money")])
    item_id = 0
    for order in orders.rows:
        for _ in range(rng.randint(1, 4)):
            item_id += 1
            product, category = rng.choice(PRODUCTS)
            items.rows.append({
                "id": item_id, "order_id": order["id"], "product": product,
                "category": category, "quantity": rng.randint(1, 5),
                "unit_price": round(rng.uniform(2, 120), 2),
            })
    return {t.name: t for t in (regions, customers, orders, items)}


ORDERS_VIEW = """
name: orders
description: One row per order.
table: orders
entities:
  - name: order
    type: primary
    key: id
  - name: customer
    type: foreign
    key: customer_id
dimensions:
  - name: id
    type: number
    expr: id
    primary_key: true
  - name: customer_id
    type: number
    expr: customer_id
  - name: status
    type: string
    expr: status
  - name: channel
    type: string
    expr: channel
  - name: amount
    type: number
    expr: amount
  - name: is_gift
    type: boolean
    expr: is_gift
  - name: created_at
    type: datetime
    expr: created_at
measures:
  - name: count
    type: count
  - name: revenue
    type: sum
    expr: amount
  - name: average_amount
    type: average
    expr: amount
  - name: smallest_amount
    type: min
    expr: amount
  - name: largest_amount
    type: max
    expr: amount
  - name: buyers
    type: count_distinct
    expr: customer_id
  - name: approximate_buyers
    type: count_distinct_approx
    expr: customer_id
  - name: median_amount
    type: median
    expr: amount
  - name: completed_revenue
    type: sum
    expr: amount
    filters:
      - expr: "status = 'completed'"
  - name: completed_count
    type: count
    filters:
      - expr: "status = 'completed'"
  - name: revenue_per_order
    type: number
    expr: "{{ revenue }} / {{ count }}"
segments:
  - name: completed
    expr: "status = 'completed'"
  - name: large
    expr: "amount >= 250"
"""

CUSTOMERS_VIEW = """
name: customers
table: customers
entities:
  - name: customer
    type: primary
    key: id
  - name: region
    type: foreign
    key: region_id
dimensions:
  - name: id
    type: number
    expr: id
    primary_key: true
  - name: name
    type: string
    expr: name
  - name: region_id
    type: number
    expr: region_id
  - name: segment
    type: string
    expr: segment
  - name: is_vip
    type: boolean
    expr: is_vip
  - name: signup_date
    type: date
    expr: signup_date
  - name: order_count
    type: number
    expr: "{{ orders.count }}"
    sub_query: true
measures:
  - name: count
    type: count
segments:
  - name: vip
    expr: "is_vip = TRUE"
"""

REGIONS_VIEW = """
name: regions
table: regions
entities:
  - name: region
    type: primary
    key: id
dimensions:
  - name: id
    type: number
    expr: id
    primary_key: true
  - name: name
    type: string
    expr: name
  - name: code
    type: string
    expr: code
measures:
  - name: count
    type: count
"""

ORDER_ITEMS_VIEW = """
name: order_items
table: order_items
entities:
  - name: item
    type: primary
    key: id
  - name: order
    type: foreign
    key: order_id
dimensions:
  - name: id
    type: number
    expr: id
    primary_key: true
  - name: order_id
    type: number
    expr: order_id
  - name: product
    type: string
    expr: product
  - name: category
    type: string
    expr: category
  - name: quantity
    type: number
    expr: quantity
  - name: unit_price
    type: number
    expr: unit_price
measures:
  - name: count
    type: count
  - name: units
    type: sum
    expr: quantity
  - name: line_total
    type: sum
    expr: quantity * unit_price
"""

VIEWS = [ORDERS_VIEW, CUSTOMERS_VIEW, REGIONS_VIEW, ORDER_ITEMS_VIEW]

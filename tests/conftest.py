import orvane
import pytest

ORDERS_VIEW = """
name: orders
table: orders
dimensions:
  - name: status
    type: string
    expr: status
measures:
  - name: count
    type: count
"""


@pytest.fixture
def orders_view():
    return ORDERS_VIEW

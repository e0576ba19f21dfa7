"""Times orvane.validate on generated schemas of 100 and 1,000 views.

Each view has a primary entity, a foreign entity pointing at the previous view, dimensions,
measures whose expressions reference other views, a shift measure and a segment, so every check
has work to do. Measure names differ per view, so promotion finds nothing to warn about.

Prints the median CPU time of the calling thread per call (other processes on a shared machine
do not inflate it) at each size, and the growth exponent between the sizes: validation is meant
to be linear in the schema, so the exponent should stay close to 1.

Usage: PYTHONPATH=build/dev python3 bench/bench_validate.py [--repeat N]
"""

import argparse
import math
import statistics
import time

import orvane


def view_document(number):
    previous = max(number - 1, 0)
    return f"""name: view_{number}
table: schema.table_{number}
entities:
  - {{name: entity_{number}, type: primary, key: id}}
  - {{name: entity_{previous}, type: foreign, key: parent_id}}
dimensions:
  - {{name: id, type: number, expr: id}}
  - {{name: parent_id, type: number, expr: parent_id}}
  - {{name: status, type: string, expr: status}}
  - {{name: created_at, type: datetime, expr: created_at}}
measures:
  - {{name: count_{number}, type: count}}
  - {{name: revenue_{number}, type: sum, expr: amount}}
  - {{name: share_{number}, type: number, expr: "{{{{ view_{previous}.revenue_{previous} }}}} / {{{{ entity_{number}.id }}}}"}}
  - {{name: revenue_prior_{number}, shift: {{measure: revenue_{number}, by: 1 year}}}}
segments:
  - {{name: open, expr: "status = 'open'"}}
"""


def schema(size):
    return [view_document(number) for number in range(size)]


def median_seconds(function, views, repeat):
    timings = []
    for _ in range(repeat):
        start = time.thread_time()
        function(views)
        timings.append(time.thread_time() - start)
    return statistics.median(timings)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeat", type=int, default=15)
    args = parser.parse_args()

    sizes = (100, 1000)
    medians = {}
    for size in sizes:
        views = schema(size)
        orvane.validate(views)  # warm up
        medians[size] = median_seconds(orvane.validate, views, args.repeat)
        listing = median_seconds(orvane.catalog_list, views, args.repeat)
        print(f"validate {size:>5} views: {medians[size] * 1e3:9.3f} ms per call, "
              f"{medians[size] / size * 1e6:7.2f} us per view "
              f"(catalog_list, which loads the same texts without validating: "
              f"{listing * 1e3:.3f} ms)")
    exponent = math.log(medians[1000] / medians[100]) / math.log(10)
    print(f"growth exponent 100 -> 1000 views: {exponent:.2f}")


if __name__ == "__main__":
    main()

// Checks on measures: the views and entities their expressions name, shift measures, drivers.
#include <string_view>

#include "common/failure.h"
#include "engine/member_sql/template_scan.h"
#include "engine/shift/interval.h"
#include "schema/validation/checks.h"

namespace orvane {
namespace {

std::string measure_prefix(const View& view, const Measure& measure) {
  return view_prefix(view) + "shift measure '" + measure.name + "' ";
}

void check_shift_base(const View& view, const Measure& measure, const Shift& shift,
                      ErrorLines& errors) {
  const Measure* base = find_measure(view, shift.measure);
  if (!base)
    errors.push_back(measure_prefix(view, measure) + "references base measure '" + shift.measure +
                     "' which does not exist in this view");
  else if (base->shift)
    errors.push_back(measure_prefix(view, measure) + "references base '" + shift.measure +
                     "', which is itself a shift measure; the base must be a plain measure");
}

void check_interval(const View& view, const Measure& measure, std::string_view field,
                    const std::string& text, ErrorLines& errors) {
  try {
    parse_interval(text);
  } catch (const Failure& failure) {
    errors.push_back(measure_prefix(view, measure) + "has an invalid `" + std::string(field) +
                     "`: " + std::string(failure.message()));
  }
}

// Comparing cohorts needs the entity on this view and a lifespan declared for it on any view.
void check_comparable_by(const View& view, const Measure& measure, const std::string& entity,
                         const SchemaNames& names, ErrorLines& errors) {
  const std::string head =
      measure_prefix(view, measure) + "is `comparable_by: " + entity + "`, but ";
  if (!find_entity(view, entity))
    errors.push_back(head + "no entity named '" + entity + "' is declared on this view.");
  else if (!names.lifespan_entities.contains(entity))
    errors.push_back(head + "entity '" + entity +
                     "' does not declare a `lifespan` (needed to derive the cohort).");
}

std::size_t coefficients_needed(const std::optional<DriverForm>& form) {
  if (!form) return 1;
  switch (*form) {
    case DriverForm::Quadratic:
    case DriverForm::LinearLogQuadratic:
      return 2;
    case DriverForm::Cubic:
      return 3;
    default:
      return 1;
  }
}

// Why the driver's coefficients cannot be used, or nothing when they can.
std::optional<std::string> coefficient_problem(const Driver& driver) {
  if (driver.coefficient && driver.coefficients)
    return "declares both `coefficient:` and `coefficients:` \u2014 write one, since which of "
           "them the forecast used would be unknowable";
  const std::size_t needed = coefficients_needed(driver.form);
  std::size_t declared = needed;
  if (driver.coefficients) declared = driver.coefficients->size();
  if (driver.coefficient) declared = 1;
  if (declared == needed) return std::nullopt;
  return "declares " + std::to_string(declared) + " coefficient(s) but this `form:` needs " +
         std::to_string(needed);
}

}  // namespace

// A reference may name the variables object, a view, or an entity declared anywhere.
void check_measure_references(const std::vector<View>& views, const SchemaNames& names,
                              ErrorLines& errors) {
  for (const auto& view : views) {
    if (!view.measures) continue;
    for (const auto& measure : *view.measures) {
      // Most expressions reference nothing, and every reference opens with "{{".
      if (!measure.expr || measure.expr->find("{{") == std::string::npos) continue;
      for (const auto& [head, member] : dotted_references(*measure.expr)) {
        if (head == "variables" || names.has_entity(head) || names.has_view(head)) continue;
        errors.push_back(view_prefix(view) + "Measure '" + measure.name +
                         "' references unknown entity/view '" + std::string(head) + "' in expr");
      }
    }
  }
}

void check_shift_measures(const std::vector<View>& views, const SchemaNames& names,
                          ErrorLines& errors) {
  for (const auto& view : views) {
    if (!view.measures) continue;
    for (const auto& measure : *view.measures) {
      if (!measure.shift) continue;
      const Shift& shift = *measure.shift;
      check_shift_base(view, measure, shift, errors);
      check_interval(view, measure, "by", shift.by, errors);
      if (shift.maturity) check_interval(view, measure, "maturity", *shift.maturity, errors);
      if (shift.comparable_by)
        check_comparable_by(view, measure, *shift.comparable_by, names, errors);
    }
  }
}

void check_measure_drivers(const std::vector<View>& views, ErrorLines& errors) {
  for (const auto& view : views) {
    if (!view.measures) continue;
    for (const auto& measure : *view.measures) {
      if (!measure.drivers) continue;
      for (const auto& driver : *measure.drivers) {
        if (const auto problem = coefficient_problem(driver))
          errors.push_back(view_prefix(view) + "measure '" + measure.name + "' driver '" +
                           driver.measure + "' " + *problem);
      }
    }
  }
}

}  // namespace orvane

#include "engine/sql_generator/statement.h"

#include <charconv>

#include "common/failure.h"
#include "engine/sql_generator/from_source.h"

namespace orvane {
namespace {

void append_joined(std::string& out, const std::vector<std::string>& parts,
                   std::string_view separator) {
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) out.append(separator);
    out.append(parts[i]);
  }
}

template <typename Number>
void append_number(std::string& out, Number number) {
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, number);
  out.append(digits, result.ptr);
}

bool needs_group_by(const Statement& statement, const QueryRequest& request) {
  if (statement.grouping.empty() || request.ungrouped) return false;
  for (const auto& item : statement.items)
    if (item.aggregate) return true;
  return false;
}

// Room for the statement's parts and its keywords, so the text is rarely moved while it grows.
std::size_t estimated_length(const Statement& statement) {
  std::size_t length = 128;
  for (const auto& item : statement.items) length += item.expression.size() + 12;
  for (const auto& column : statement.columns) length += column.alias.size();
  for (const auto& join : statement.plan.joins)
    length += join.source.size() + join.view.size() + join.on.size() + 24;
  for (const auto* parts : {&statement.where, &statement.having, &statement.order_by})
    for (const auto& part : *parts) length += part.size() + 8;
  return length;
}

}  // namespace

std::vector<std::string>& Statement::params_for_having(Dialect dialect) {
  return uses_positional_placeholders(dialect) ? having_params : params;
}

std::vector<std::string> Statement::take_params() {
  std::vector<std::string> all = std::move(params);
  all.insert(all.end(), std::make_move_iterator(having_params.begin()),
             std::make_move_iterator(having_params.end()));
  having_params.clear();
  return all;
}

std::string assemble_statement(GeneratorContext& context, const Statement& statement,
                               const QueryRequest& request) {
  const Dialect dialect = context.dialect;
  const View* base = context.engine.find_view(statement.plan.base_view);
  if (!base) throw sql_generation_error("Base view '" + statement.plan.base_view + "' not found");

  std::string sql;
  sql.reserve(estimated_length(statement));
  sql.append("SELECT\n");
  for (std::size_t i = 0; i < statement.items.size(); ++i) {
    if (i) sql.append(",\n");
    sql.append("  ").append(statement.items[i].expression).append(" AS ");
    append_quoted_identifier(sql, dialect, statement.columns[i].alias);
  }
  sql.append("\nFROM\n  ");
  append_from_source(sql, dialect, *base);
  sql.append(" AS ");
  append_quoted_identifier(sql, dialect, base->name);
  for (const auto& join : statement.plan.joins) {
    sql.append("\n").append(join.keyword).append(" JOIN ").append(join.source).append(" AS ");
    append_quoted_identifier(sql, dialect, join.view);
    sql.append(" ON ").append(join.on);
  }
  if (!statement.where.empty()) {
    sql.append("\nWHERE\n  ");
    append_joined(sql, statement.where, "\n  AND ");
  }
  if (needs_group_by(statement, request)) {
    sql.append("\nGROUP BY\n  ");
    for (std::size_t i = 0; i < statement.grouping.size(); ++i) {
      if (i) sql.append(", ");
      append_number(sql, statement.grouping[i] + 1);
    }
  }
  if (!statement.having.empty()) {
    sql.append("\nHAVING\n  ");
    append_joined(sql, statement.having, "\n  AND ");
  }
  if (!statement.order_by.empty()) {
    sql.append("\nORDER BY\n  ");
    append_joined(sql, statement.order_by, ", ");
  }
  if (request.limit) append_number(sql.append("\nLIMIT "), *request.limit);
  if (request.offset) append_number(sql.append("\nOFFSET "), *request.offset);
  return sql;
}

}  // namespace orvane

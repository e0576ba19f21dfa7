#include "engine/sql_generator/statement.h"

#include "common/decimal_text.h"
#include "common/failure.h"
#include "engine/sql_generator/from_source.h"

namespace orvane {
namespace {

// A select item or condition rarely needs more than this many bytes of text.
constexpr std::size_t kBytesPerPart = 96;

bool needs_group_by(const Statement& statement, const QueryRequest& request) {
  return !statement.grouping.empty() && !request.ungrouped && statement.aggregates;
}

void append_section(std::string& sql, std::string_view heading, const JoinedText& entries) {
  if (entries.empty()) return;
  sql.append(heading).append(entries.text);
}

}  // namespace

std::string& JoinedText::next(std::string_view separator) {
  if (count++)
    text.append(separator);
  else
    text.reserve(room);
  return text;
}

// Conditions may land in WHERE or HAVING, so each is given room for all of them; the room is
// taken only by a section that receives an entry. An order entry is about one quoted alias.
Statement::Statement(std::size_t columns, std::size_t conditions) {
  sql.reserve(256 + kBytesPerPart * (columns + conditions));
  sql.append("SELECT\n");
  where.room = having.room = kBytesPerPart * conditions;
  order_by.room = kBytesPerPart;
}

std::string& Statement::begin_item() {
  sql.append(items ? ",\n  " : "  ");
  return sql;
}

void Statement::end_item(Dialect dialect, std::string member, ColumnKind kind) {
  const bool aggregate = kind == ColumnKind::Measure;
  ++items;
  if (aggregate)
    aggregates = true;
  else
    append_decimal(grouping.next(", "), items);
  std::string alias = column_alias(member);
  sql.append(" AS ");
  append_quoted_identifier(sql, dialect, alias);
  columns.push_back({std::move(member), std::move(alias), kind});
}

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

std::string complete_statement(GeneratorContext& context, Statement& statement,
                               const QueryRequest& request) {
  const Dialect dialect = context.dialect;
  const View* base = context.engine.find_view(statement.plan.base_view);
  if (!base) throw sql_generation_error("Base view '" + statement.plan.base_view + "' not found");

  std::string& sql = statement.sql;
  sql.append("\nFROM\n  ");
  append_from_source(sql, dialect, *base);
  sql.append(" AS ");
  append_quoted_identifier(sql, dialect, base->name);
  for (const auto& join : statement.plan.joins) {
    sql.append("\n").append(join.keyword).append(" JOIN ").append(join.source).append(" AS ");
    append_quoted_identifier(sql, dialect, join.view);
    sql.append(" ON ").append(join.on);
  }
  append_section(sql, "\nWHERE\n  ", statement.where);
  if (needs_group_by(statement, request))
    sql.append("\nGROUP BY\n  ").append(statement.grouping.text);
  append_section(sql, "\nHAVING\n  ", statement.having);
  append_section(sql, "\nORDER BY\n  ", statement.order_by);
  if (request.limit) append_decimal(sql.append("\nLIMIT "), *request.limit);
  if (request.offset) append_decimal(sql.append("\nOFFSET "), *request.offset);
  return std::move(sql);
}

}  // namespace orvane

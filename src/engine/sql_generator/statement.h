// A SELECT statement under construction, written straight into its text, and its completion.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/mod/compile_result.h"
#include "engine/query/request.h"
#include "engine/sql_generator/generator_context.h"
#include "engine/sql_generator/join_plan.h"

namespace orvane {

// Entries written one after another into one text, with a separator between them.
struct JoinedText {
  std::string text;
  std::size_t count = 0;
  std::size_t room = 0;  // bytes reserved when the first entry comes, so the text rarely grows

  // Writes the separator unless this is the first entry; the caller appends the entry to the
  // returned text.
  std::string& next(std::string_view separator);
  bool empty() const { return count == 0; }
};

struct Statement {
  // "SELECT" and the select items so far, each with its alias; the rest follows on completion.
  std::string sql;
  std::size_t items = 0;
  bool aggregates = false;            // whether any select item aggregates
  JoinedText grouping;                // 1-based numbers of the items that do not aggregate, ", "
  std::vector<OutputColumn> columns;  // one per select item, in order
  JoinedText where;                   // joined by "\n  AND "
  JoinedText having;                  // joined by "\n  AND "
  JoinedText order_by;                // joined by ", "
  // Values in placeholder order. With "?" placeholders HAVING values are kept apart and follow
  // every WHERE value; numbered placeholders bind everything into `params` as compiled.
  std::vector<std::string> params;
  std::vector<std::string> having_params;
  JoinPlan plan;

  // Room for about `columns` select items and `conditions` conditions.
  Statement(std::size_t columns, std::size_t conditions);

  // Starts the next select item: the caller appends its expression to the returned text, then
  // calls end_item.
  std::string& begin_item();
  // Ends the item with the alias of `member` and records its output column.
  void end_item(Dialect dialect, std::string member, ColumnKind kind);

  // Where a value bound for a HAVING condition goes.
  std::vector<std::string>& params_for_having(Dialect dialect);
  // All values, in the order their placeholders appear in the text.
  std::vector<std::string> take_params();
};

// Adds FROM with the planned joins, WHERE, GROUP BY, HAVING, ORDER BY, LIMIT and OFFSET after the
// select items and returns the whole text. Reads only `limit`, `offset` and `ungrouped` of the
// request.
std::string complete_statement(GeneratorContext& context, Statement& statement,
                               const QueryRequest& request);

}  // namespace orvane

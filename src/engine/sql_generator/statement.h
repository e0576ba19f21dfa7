// A SELECT statement under construction, and its assembly into text.
#pragma once

#include <string>
#include <vector>

#include "engine/mod/compile_result.h"
#include "engine/query/request.h"
#include "engine/sql_generator/generator_context.h"
#include "engine/sql_generator/join_plan.h"

namespace orvane {

// Its alias is that of the output column at the same position.
struct SelectItem {
  std::string expression;
  bool aggregate = false;
};

struct Statement {
  std::vector<SelectItem> items;
  std::vector<std::size_t> grouping;  // 0-based indexes into items
  std::vector<OutputColumn> columns;  // parallel to items
  std::vector<std::string> where;
  std::vector<std::string> having;
  std::vector<std::string> order_by;
  // Values in placeholder order. With "?" placeholders HAVING values are kept apart and follow
  // every WHERE value; numbered placeholders bind everything into `params` as compiled.
  std::vector<std::string> params;
  std::vector<std::string> having_params;
  JoinPlan plan;

  // Where a value bound for a HAVING condition goes.
  std::vector<std::string>& params_for_having(Dialect dialect);
  // All values, in the order their placeholders appear in the text.
  std::vector<std::string> take_params();
};

// SELECT, FROM with the planned joins, WHERE, GROUP BY, HAVING, ORDER BY, LIMIT and OFFSET. Reads
// only `limit`, `offset` and `ungrouped` of the request.
std::string assemble_statement(GeneratorContext& context, const Statement& statement,
                               const QueryRequest& request);

}  // namespace orvane

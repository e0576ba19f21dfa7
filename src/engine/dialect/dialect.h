// Everything that differs between SQL engines. No other file knows an engine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

enum class Dialect {
  Postgres,
  Mysql,
  Bigquery,
  Snowflake,
  Duckdb,
  Clickhouse,
  Databricks,
  Redshift,
  Sqlite,
  Domo,
  Presto
};

// The dialect for a caller's name: full Unicode lower-casing, then exact match against the
// accepted names. No trimming.
std::optional<Dialect> parse_dialect_name(std::string_view name);

// The canonical name ("postgres", "mysql", ...).
std::string_view dialect_name(Dialect dialect);

std::string quote_identifier(Dialect dialect, std::string_view name);
// Appends what quote_identifier returns, without a string of its own.
void append_quoted_identifier(std::string& out, Dialect dialect, std::string_view name);

// Whether this dialect's placeholder is a bare "?" (values bind in text order).
bool uses_positional_placeholders(Dialect dialect);

// Appends `value` to `params` and returns the placeholder referring to it.
std::string bind_placeholder(Dialect dialect, std::string value, std::vector<std::string>& params);
// The placeholder for the value at 0-based `position`, without binding.
std::string placeholder_at(Dialect dialect, std::size_t position);
// Appends what placeholder_at returns, without a string of its own.
void append_placeholder(std::string& out, Dialect dialect, std::size_t position);

// Granularity and zone texts are written into SQL: both throw a query error for a text holding a
// single quote, a backslash or a control character. The truncation is appended to `out`.
void append_truncated_to_granularity(std::string& out, Dialect dialect,
                                     std::string_view granularity, std::string_view expression);
std::string convert_time_zone(Dialect dialect, std::string_view expression, std::string_view zone);

std::string approximate_count_distinct(Dialect dialect, std::string_view expression);
std::string add_interval(Dialect dialect, std::string_view date_expression, std::int64_t count,
                         std::string_view unit);
std::string cast_to_date(Dialect dialect, std::string_view expression);
std::string date_literal(Dialect dialect, std::string_view text);
std::string null_safe_equals(Dialect dialect, std::string_view left, std::string_view right);

}  // namespace orvane

#include "engine/dialect/dialect.h"

#include <array>
#include <initializer_list>
#include <utility>

#include "common/decimal_text.h"
#include "common/failure.h"
#include "common/unicode.h"
#include "common/value.h"

namespace orvane {
namespace {

using D = Dialect;

struct NamedDialect {
  std::string_view name;
  Dialect dialect;
};

// Accepted names, in the order they are tried.
constexpr std::array<NamedDialect, 23> kDialectNames = {{
    {"postgres", D::Postgres},   {"postgresql", D::Postgres},   {"pg", D::Postgres},
    {"mysql", D::Mysql},         {"bigquery", D::Bigquery},     {"bq", D::Bigquery},
    {"snowflake", D::Snowflake}, {"sf", D::Snowflake},          {"duckdb", D::Duckdb},
    {"duck", D::Duckdb},         {"motherduck", D::Duckdb},     {"gsheets", D::Duckdb},
    {"vettra", D::Duckdb},       {"vettra_managed", D::Duckdb}, {"clickhouse", D::Clickhouse},
    {"ch", D::Clickhouse},       {"databricks", D::Databricks}, {"redshift", D::Redshift},
    {"rs", D::Redshift},         {"sqlite", D::Sqlite},         {"domo", D::Domo},
    {"presto", D::Presto},       {"trino", D::Presto},
}};

// Appends the parts one after another, growing `out` at most once.
void append_all(std::string& out, std::initializer_list<std::string_view> parts) {
  std::size_t size = out.size();
  for (std::string_view part : parts) size += part.size();
  out.reserve(size);
  for (std::string_view part : parts) out.append(part);
}

// The parts one after another, in one allocation.
std::string concat(std::initializer_list<std::string_view> parts) {
  std::string out;
  append_all(out, parts);
  return out;
}

// Appends `name` between two `quote` characters, each inner `quote` preceded by `escape`.
void append_enclosed(std::string& out, std::string_view name, char quote, char escape) {
  out.reserve(out.size() + name.size() + 2);
  out += quote;
  if (name.find(quote) == std::string_view::npos) {
    out.append(name);
    out += quote;
    return;
  }
  std::size_t start = 0;
  for (std::size_t at = name.find(quote); at != std::string_view::npos;
       at = name.find(quote, at + 1)) {
    out.append(name.substr(start, at - start));
    out += escape;
    out += quote;
    start = at + 1;
  }
  out.append(name.substr(start));
  out += quote;
}

[[noreturn]] void refuse_in_sql(std::string_view field, std::string_view text,
                                std::string_view reason) {
  std::string message(field);
  message += ' ';
  append_json_string(message, text);
  message += " cannot be written into SQL: ";
  message += reason;
  throw query_error(std::move(message));
}

// Zone names and granularity words are written into SQL text between single quotes; besides
// what could end the quotes, statement separators and comment markers are refused too.
void ensure_splice_safe(std::string_view field, std::string_view text) {
  bool unsafe =
      text.find(';') != std::string_view::npos || text.find("--") != std::string_view::npos ||
      text.find("/*") != std::string_view::npos || text.find("*/") != std::string_view::npos;
  for (std::size_t i = 0; i < text.size() && !unsafe; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    bool c1_control = c == 0xC2 && i + 1 < text.size() &&
                      static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                      static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    unsafe = c == '\'' || c == '"' || c == '`' || c == '\\' || c < 0x20 || c == 0x7F || c1_control;
  }
  if (unsafe)
    refuse_in_sql(field, text,
                  "quotes, backslashes, semicolons, comment markers and control characters are "
                  "not allowed");
}

// BigQuery takes the granularity as a bare keyword, outside any quotes.
void ensure_bare_word(std::string_view field, std::string_view text) {
  for (char c : text) {
    bool word =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!word) refuse_in_sql(field, text, "only letters, digits and underscores are allowed");
  }
}

std::string mysql_truncate(std::string_view granularity, std::string_view e) {
  std::string x(e);
  if (granularity == "year") return "DATE_FORMAT(" + x + ", '%Y-01-01')";
  if (granularity == "quarter")
    return "DATE_FORMAT(DATE_SUB(" + x + ", INTERVAL (MONTH(" + x +
           ") - 1) % 3 MONTH), '%Y-%m-01')";
  if (granularity == "month") return "DATE_FORMAT(" + x + ", '%Y-%m-01')";
  if (granularity == "week")
    return "DATE(DATE_SUB(" + x + ", INTERVAL DAYOFWEEK(" + x + ") - 1 DAY))";
  if (granularity == "day") return "DATE(" + x + ")";
  if (granularity == "hour") return "DATE_FORMAT(" + x + ", '%Y-%m-%d %H:00:00')";
  if (granularity == "minute") return "DATE_FORMAT(" + x + ", '%Y-%m-%d %H:%i:00')";
  if (granularity == "second") return "DATE_FORMAT(" + x + ", '%Y-%m-%d %H:%i:%s')";
  return "DATE(" + x + ")";
}

std::string_view clickhouse_truncate_function(std::string_view granularity) {
  if (granularity == "year") return "toStartOfYear";
  if (granularity == "quarter") return "toStartOfQuarter";
  if (granularity == "month") return "toStartOfMonth";
  if (granularity == "week") return "toMonday";
  if (granularity == "day") return "toDate";
  if (granularity == "hour") return "toStartOfHour";
  if (granularity == "minute") return "toStartOfMinute";
  if (granularity == "second") return "toStartOfSecond";
  return "toDate";
}

}  // namespace

std::optional<Dialect> parse_dialect_name(std::string_view name) {
  std::string lowered = to_lower_full(name);
  for (const auto& entry : kDialectNames)
    if (entry.name == lowered) return entry.dialect;
  return std::nullopt;
}

std::string_view dialect_name(Dialect dialect) {
  static constexpr std::string_view names[] = {"postgres", "mysql",      "bigquery",   "snowflake",
                                               "duckdb",   "clickhouse", "databricks", "redshift",
                                               "sqlite",   "domo",       "presto"};
  return names[static_cast<int>(dialect)];
}

void append_quoted_identifier(std::string& out, Dialect dialect, std::string_view name) {
  switch (dialect) {
    case D::Mysql:
    case D::Databricks:
    case D::Domo:
      return append_enclosed(out, name, '`', '`');
    case D::Bigquery:
      return append_enclosed(out, name, '`', '\\');
    case D::Snowflake:
      return append_enclosed(out, to_upper_full(name), '"', '"');
    default:
      return append_enclosed(out, name, '"', '"');
  }
}

std::string quote_identifier(Dialect dialect, std::string_view name) {
  std::string out;
  append_quoted_identifier(out, dialect, name);
  return out;
}

bool uses_positional_placeholders(Dialect dialect) {
  switch (dialect) {
    case D::Mysql:
    case D::Snowflake:
    case D::Databricks:
    case D::Sqlite:
    case D::Domo:
    case D::Presto:
      return true;
    default:
      return false;
  }
}

void append_placeholder(std::string& out, Dialect dialect, std::size_t position) {
  switch (dialect) {
    case D::Postgres:
    case D::Duckdb:
    case D::Clickhouse:
    case D::Redshift:
      out += '$';
      return append_decimal(out, position + 1);
    case D::Bigquery:
      out.append("@p");
      return append_decimal(out, position);
    default:
      out += '?';
      return;
  }
}

std::string placeholder_at(Dialect dialect, std::size_t position) {
  std::string out;
  append_placeholder(out, dialect, position);
  return out;
}

std::string bind_placeholder(Dialect dialect, std::string value, std::vector<std::string>& params) {
  params.push_back(std::move(value));
  return placeholder_at(dialect, params.size() - 1);
}

void append_truncated_to_granularity(std::string& out, Dialect dialect,
                                     std::string_view granularity, std::string_view expression) {
  ensure_splice_safe("granularity", granularity);
  switch (dialect) {
    case D::Postgres:
    case D::Duckdb:
    case D::Databricks:
    case D::Redshift:
    case D::Sqlite:
      return append_all(out, {"date_trunc('", granularity, "', ", expression, ")"});
    case D::Snowflake:
    case D::Presto:
      return append_all(out, {"DATE_TRUNC('", granularity, "', ", expression, ")"});
    case D::Bigquery:
      ensure_bare_word("granularity", granularity);
      return append_all(out,
                        {"TIMESTAMP_TRUNC(", expression, ", ", to_upper_full(granularity), ")"});
    case D::Mysql:
    case D::Domo:
      out.append(mysql_truncate(granularity, expression));
      return;
    case D::Clickhouse:
      return append_all(out, {clickhouse_truncate_function(granularity), "(", expression, ")"});
  }
  out.append(expression);
}

std::string convert_time_zone(Dialect dialect, std::string_view expression, std::string_view zone) {
  ensure_splice_safe("timezone", zone);
  std::string e(expression), z(zone);
  if (zone == "UTC") return e;
  switch (dialect) {
    case D::Postgres:
    case D::Redshift:
      return "(" + e + "::timestamptz AT TIME ZONE '" + z + "')";
    case D::Mysql:
      return "CONVERT_TZ(" + e + ", 'UTC', '" + z + "')";
    case D::Bigquery:
      return "DATETIME(" + e + ", '" + z + "')";
    case D::Snowflake:
      return "CONVERT_TIMEZONE('UTC', '" + z + "', " + e + "::TIMESTAMP_NTZ)";
    case D::Duckdb:
      return "timezone('" + z + "', " + e + "::TIMESTAMPTZ)";
    case D::Clickhouse:
      return "toTimeZone(" + e + ", '" + z + "')";
    case D::Databricks:
      return "from_utc_timestamp(" + e + ", '" + z + "')";
    case D::Presto:
      return "(" + e + " AT TIME ZONE '" + z + "')";
    case D::Sqlite:
    case D::Domo:
      return e;
  }
  return e;
}

std::string approximate_count_distinct(Dialect dialect, std::string_view expression) {
  switch (dialect) {
    case D::Bigquery:
    case D::Snowflake:
    case D::Databricks:
    case D::Presto:
      return concat({"APPROX_COUNT_DISTINCT(", expression, ")"});
    case D::Redshift:
      return concat({"APPROXIMATE COUNT(DISTINCT ", expression, ")"});
    case D::Clickhouse:
      return concat({"uniqHLL12(", expression, ")"});
    default:
      return concat({"COUNT(DISTINCT ", expression, ")"});
  }
}

std::string add_interval(Dialect dialect, std::string_view date_expression, std::int64_t count,
                         std::string_view unit) {
  std::string d(date_expression), n = std::to_string(count), u(unit);
  switch (dialect) {
    case D::Postgres:
    case D::Duckdb:
    case D::Redshift:
      return cast_to_date(dialect, "(" + d + " + INTERVAL '" + n + " " + u + "')");
    case D::Mysql:
    case D::Domo:
    case D::Bigquery:
      return "DATE_ADD(" + d + ", INTERVAL " + n + " " + to_upper_full(u) + ")";
    case D::Snowflake:
      return "DATEADD(" + u + ", " + n + ", " + d + ")";
    case D::Clickhouse:
      return std::string(unit == "month" ? "addMonths" : "addDays") + "(" + d + ", " + n + ")";
    case D::Databricks:
      return unit == "month" ? "add_months(" + d + ", " + n + ")"
                             : "date_add(" + d + ", " + n + ")";
    case D::Sqlite:
      return "date(" + d + ", '+" + n + " " + u + "s')";
    case D::Presto:
      return "date_add('" + u + "', " + n + ", " + d + ")";
  }
  return d;
}

std::string cast_to_date(Dialect dialect, std::string_view expression) {
  if (dialect == D::Clickhouse) return "toDate(" + std::string(expression) + ")";
  return "CAST(" + std::string(expression) + " AS DATE)";
}

std::string date_literal(Dialect dialect, std::string_view text) {
  return cast_to_date(dialect, "'" + std::string(text) + "'");
}

std::string null_safe_equals(Dialect dialect, std::string_view left, std::string_view right) {
  std::string l(left), r(right);
  switch (dialect) {
    case D::Postgres:
    case D::Bigquery:
    case D::Snowflake:
    case D::Duckdb:
    case D::Presto:
      return l + " IS NOT DISTINCT FROM " + r;
    case D::Mysql:
    case D::Databricks:
      return l + " <=> " + r;
    case D::Clickhouse:
    case D::Redshift:
    case D::Domo:
      return "(" + l + " = " + r + " OR (" + l + " IS NULL AND " + r + " IS NULL))";
    case D::Sqlite:
      return l + " IS " + r;
  }
  return l + " = " + r;
}

}  // namespace orvane

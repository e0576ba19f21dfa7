#include "common/value.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace orvane {
namespace {

void append_number(std::string& out, double d) {
  if (!std::isfinite(d)) {
    out += "null";
    return;
  }
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, d);
  std::string_view text(buffer, static_cast<size_t>(end - buffer));
  out += text;
  // Keep a float recognisable as one when written back.
  if (text.find_first_of(".eE") == std::string_view::npos) out += ".0";
}

void append_value(std::string& out, const Value& value) {
  struct Writer {
    std::string& out;
    void operator()(std::monostate) { out += "null"; }
    void operator()(bool b) { out += b ? "true" : "false"; }
    void operator()(std::int64_t i) { out += std::to_string(i); }
    void operator()(std::uint64_t u) { out += std::to_string(u); }
    void operator()(double d) { append_number(out, d); }
    void operator()(const std::string& s) { append_json_string(out, s); }
    void operator()(const ValueArray& a) {
      out += '[';
      for (size_t i = 0; i < a.size(); ++i) {
        if (i) out += ',';
        append_value(out, a[i]);
      }
      out += ']';
    }
    void operator()(const ValueObject& o) {
      out += '{';
      for (size_t i = 0; i < o.size(); ++i) {
        if (i) out += ',';
        append_json_string(out, o[i].first);
        out += ':';
        append_value(out, o[i].second);
      }
      out += '}';
    }
  };
  std::visit(Writer{out}, value.data);
}

}  // namespace

void append_json_string(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
          out += buffer;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

std::string to_compact_json(const Value& value) {
  std::string out;
  append_value(out, value);
  return out;
}

}  // namespace orvane

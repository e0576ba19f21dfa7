#include "schema/validation/debug_form.h"

#include <unicode/uchar.h>

#include <cstdio>
#include <string_view>

#include "common/unicode.h"

namespace orvane {
namespace {

// Control, format, private-use, unassigned and surrogate code points, separators other than the
// plain space, and combining marks that would attach to the preceding character.
bool is_unprintable(char32_t c) {
  if (c == U' ') return false;
  switch (u_charType(static_cast<UChar32>(c))) {
    case U_CONTROL_CHAR:
    case U_FORMAT_CHAR:
    case U_SURROGATE:
    case U_PRIVATE_USE_CHAR:
    case U_UNASSIGNED:
    case U_LINE_SEPARATOR:
    case U_PARAGRAPH_SEPARATOR:
    case U_SPACE_SEPARATOR:
      return true;
    default:
      return u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_GRAPHEME_EXTEND);
  }
}

void append_escaped(std::string& out, std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t start = pos;
    const char32_t c = next_code_point(text, pos);
    switch (c) {
      case U'"':
        out += "\\\"";
        continue;
      case U'\\':
        out += "\\\\";
        continue;
      case U'\t':
        out += "\\t";
        continue;
      case U'\n':
        out += "\\n";
        continue;
      case U'\r':
        out += "\\r";
        continue;
      default:
        break;
    }
    if (is_unprintable(c)) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "\\u{%x}", static_cast<unsigned>(c));
      out += hex;
    } else {
      out.append(text.substr(start, pos - start));
    }
  }
}

}  // namespace

std::string debug_form(const EngineError& error) {
  std::string out(error.variant_name());
  out += "(\"";
  append_escaped(out, error.detail());
  out += "\")";
  return out;
}

}  // namespace orvane

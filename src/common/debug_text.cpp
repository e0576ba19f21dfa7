#include "common/debug_text.h"

#include <unicode/uchar.h>

#include <cstdint>
#include <cstdio>

#include "common/unicode.h"

namespace orvane {
namespace {

bool needs_unicode_escape(char32_t c) {
  if (c < 0x20 || c == 0x7F) return true;
  if (c < 0x80) return false;
  auto u = static_cast<UChar32>(c);
  if (u_hasBinaryProperty(u, UCHAR_GRAPHEME_EXTEND)) return true;
  constexpr std::uint32_t kHidden = U_GC_CC_MASK | U_GC_CF_MASK | U_GC_CS_MASK | U_GC_CO_MASK |
                                    U_GC_CN_MASK | U_GC_ZL_MASK | U_GC_ZP_MASK | U_GC_ZS_MASK;
  return (U_GET_GC_MASK(u) & kHidden) != 0;
}

}  // namespace

void append_debug_escaped(std::string& out, std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t begin = pos;
    char32_t c = next_code_point(text, pos);
    switch (c) {
      case U'\0':
        out += "\\0";
        continue;
      case U'\t':
        out += "\\t";
        continue;
      case U'\r':
        out += "\\r";
        continue;
      case U'\n':
        out += "\\n";
        continue;
      case U'\\':
        out += "\\\\";
        continue;
      case U'"':
        out += "\\\"";
        continue;
      default:
        break;
    }
    if (needs_unicode_escape(c)) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "\\u{%x}", static_cast<unsigned>(c));
      out += hex;
    } else {
      out.append(text.substr(begin, pos - begin));
    }
  }
}

}  // namespace orvane

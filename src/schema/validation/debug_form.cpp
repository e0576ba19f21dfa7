#include "schema/validation/debug_form.h"

#include <string_view>

#include "common/debug_text.h"

namespace orvane {
namespace {

// The shared escaping writes NUL as \0; the debugging form writes it \u{0}, as it does every
// other control character. A NUL byte is never part of a longer UTF-8 sequence, so the text can
// be cut there.
void append_escaped(std::string& out, std::string_view text) {
  for (;;) {
    const std::size_t nul = text.find('\0');
    append_debug_escaped(out, text.substr(0, nul));
    if (nul == std::string_view::npos) return;
    out += "\\u{0}";
    text.remove_prefix(nul + 1);
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

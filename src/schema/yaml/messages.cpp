#include "schema/yaml/messages.h"

namespace orvane::yaml {

Failure duplicate_field(std::string_view field) {
  return Failure("duplicate field `" + std::string(field) + "`");
}

Failure missing_field(std::string_view field) {
  return Failure("missing field `" + std::string(field) + "`");
}

std::string expected_spellings(std::span<const std::string_view> spellings) {
  auto quoted = [](std::string_view s) { return "`" + std::string(s) + "`"; };
  if (spellings.size() == 1) return quoted(spellings[0]);
  if (spellings.size() == 2) return quoted(spellings[0]) + " or " + quoted(spellings[1]);
  std::string out = "one of ";
  for (std::size_t i = 0; i < spellings.size(); ++i) {
    if (i > 0) out += ", ";
    out += quoted(spellings[i]);
  }
  return out;
}

Failure unknown_variant(std::string_view value, std::span<const std::string_view> spellings) {
  return Failure("unknown variant `" + std::string(value) + "`, expected " +
                 expected_spellings(spellings));
}

}  // namespace orvane::yaml

#include "schema/parser/inheritance.h"
#include "schema/parser/labelled_reading.h"
#include "schema/parser/loader.h"
#include "schema/parser/raw_view.h"

namespace orvane {

// Reading errors carry the label; resolution errors are the view's own and go out unchanged.
View load_view(std::string_view text, std::string_view label, const GlobalSemantics* globals,
               yaml::Documentation documentation, yaml::ParseScratch& scratch) {
  auto read = [documentation](const yaml::Document& doc) {
    return read_raw_view(doc, documentation);
  };
  RawView raw = read_labelled(text, "view", label, read, scratch);
  return resolve_view(std::move(raw), globals);
}

}  // namespace orvane

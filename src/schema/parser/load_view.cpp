#include "schema/parser/inheritance.h"
#include "schema/parser/labelled_reading.h"
#include "schema/parser/loader.h"
#include "schema/parser/raw_view.h"

namespace orvane {

// Reading errors carry the label; resolution errors are the view's own and go out unchanged.
View load_view(std::string_view text, std::string_view label, const GlobalSemantics* globals,
               yaml::ParseScratch& scratch) {
  RawView raw = read_labelled(text, "view", label, read_raw_view, scratch);
  return resolve_view(std::move(raw), globals);
}

}  // namespace orvane

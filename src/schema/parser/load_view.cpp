#include "schema/parser/inheritance.h"
#include "schema/parser/labelled_reading.h"
#include "schema/parser/loader.h"
#include "schema/parser/raw_view.h"

namespace orvane {

// Reading errors carry the label; resolution errors are the view's own and go out unchanged.
void load_view(std::string_view text, std::size_t position, const GlobalSemantics* globals,
               yaml::Documentation documentation, yaml::ParseScratch& scratch, View& view) {
  auto read = [documentation, &view](const yaml::Document& doc) {
    return read_raw_view(doc, documentation, view);
  };
  InheritItems inherited = read_labelled(text, "view", position, read, scratch);
  resolve_view(view, inherited, globals);
}

}  // namespace orvane

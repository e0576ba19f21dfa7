#include "schema/parser/labelled_reading.h"
#include "schema/parser/loader.h"
#include "schema/parser/motif_reader.h"

namespace orvane {

Motif load_motif(std::string_view text, std::size_t position) {
  return read_labelled(text, "motif", position, read_motif);
}

SavedQuery load_query(std::string_view text, std::size_t position) {
  return read_labelled(text, "query", position, read_saved_query);
}

}  // namespace orvane

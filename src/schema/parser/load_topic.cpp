#include "schema/parser/labelled_reading.h"
#include "schema/parser/loader.h"
#include "schema/parser/topic_reader.h"

namespace orvane {

Topic load_topic(std::string_view text, std::size_t position) {
  return read_labelled(text, "topic", position, read_topic);
}

}  // namespace orvane

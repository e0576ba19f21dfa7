#include "schema/parser/labelled_reading.h"
#include "schema/parser/loader.h"
#include "schema/parser/topic_reader.h"

namespace orvane {

Topic load_topic(std::string_view text, std::string_view label) {
  return read_labelled(text, "topic", label, read_topic);
}

}  // namespace orvane

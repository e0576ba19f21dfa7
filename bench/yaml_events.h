// The floor's unit of work, shared by the floor program and the in-process probe: libyaml reads
// one document into parser events, which are dropped at once.
#pragma once

#include <yaml.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace bench {

// Parses one document into events and drops them; returns the number of events.
inline std::size_t parse_events(std::string_view text) {
  yaml_parser_t parser;
  if (!yaml_parser_initialize(&parser)) throw std::runtime_error("yaml_parser_initialize failed");
  yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char*>(text.data()),
                               text.size());
  std::size_t events = 0;
  bool done = false;
  while (!done) {
    yaml_event_t event;
    if (!yaml_parser_parse(&parser, &event)) {
      std::string problem = parser.problem ? parser.problem : "unknown problem";
      yaml_parser_delete(&parser);
      throw std::runtime_error("YAML error: " + problem);
    }
    done = event.type == YAML_STREAM_END_EVENT;
    yaml_event_delete(&event);
    ++events;
  }
  yaml_parser_delete(&parser);
  return events;
}

}  // namespace bench

// Reading a topic document.
#pragma once

#include "schema/models/topic.h"
#include "schema/yaml/document.h"

namespace orvane {

Topic read_topic(const yaml::Document& doc);

}  // namespace orvane

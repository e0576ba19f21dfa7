// Reading motif and saved-query documents.
#pragma once

#include "schema/models/motif.h"
#include "schema/models/saved_query.h"
#include "schema/yaml/document.h"

namespace orvane {

Motif read_motif(const yaml::Document& doc);

// The keys other than `name`, `description`, `params`, `steps` and `meta` form the inline
// query; when they do not read as a query request the inline query is simply absent.
SavedQuery read_saved_query(const yaml::Document& doc);

}  // namespace orvane

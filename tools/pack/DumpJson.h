#pragma once

#include "document/Publication.h"

#include <string>

namespace lumeria {

// The whole model as JSON: status, header, the 30 interface strings, the
// master page and the pages, every field under its publication key name.
std::string publicationToJson(const Publication& pub, int status);

} // namespace lumeria

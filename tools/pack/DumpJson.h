#pragma once

#include "document/Publication.h"

#include <cstdio>

namespace lumeria {

// The whole model as JSON: status, header, the 30 interface strings, the
// master page and the pages, every field under its publication key name.
// Returns false when the stream could not be written.
bool writePublicationJson(std::FILE* stream, const Publication& pub, int status);

} // namespace lumeria

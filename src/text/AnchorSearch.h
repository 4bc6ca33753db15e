#pragma once

#include "container/ByteSource.h"

#include <QString>

#include <optional>

namespace lumeria::text {

// The line of a formatted text that holds the hidden marker of an anchor,
// for a link target ":" NAME; letter case is ignored. A marker cut by a
// line break is found on the line where it ends. Nothing when the text has
// no such marker or cannot be read.
std::optional<int> findAnchor(ByteSource& text, const QString& target);

} // namespace lumeria::text

#pragma once

#include <QByteArray>

#include <cstddef>
#include <optional>
#include <span>

namespace lumeria {

// The first icon group of a Windows executable's resources, put together as
// the .ICO file it was made from: the icon a reader's desktop showed for the
// title. Nothing when the bytes are no PE image or carry no icon. Every
// offset of the file is checked against its size; the directory is walked
// to its three fixed levels only, and the icon may hold at most 1 MiB.
std::optional<QByteArray> iconFileFromExecutable(std::span<const std::byte> exe);

} // namespace lumeria

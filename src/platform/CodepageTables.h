#pragma once

#include <array>

namespace lumeria::codepages {

struct NamedTable {
    int number; // 1252 for Windows-1252
    const std::array<char16_t, 128>* high;
};

// Every code page the player can decode publications with.
extern const std::array<NamedTable, 10> kTables;

} // namespace lumeria::codepages

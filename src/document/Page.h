#pragma once

#include "document/Objects.h"
#include "platform/Palette.h"

#include <QString>

#include <memory>
#include <vector>

namespace lumeria {

struct Page_Rec {
    QString Name;
    int32_t PageColor = 0;
    uint8_t PageEffect = 0;
    uint8_t EffectSpeed = 0;
    uint8_t PageStyle = 0;
    QString PageWallpaper;
    bool ShowMaster = false;
    QString PageAction;
    QString ExitAction;
    Palette PagePalette{};
    // In drawing and hit-testing order: a later object lies on top. Objects
    // are held by pointer so that run-time references to them stay valid.
    std::vector<std::unique_ptr<Object_Rec>> Objects;
    // The page that was current when this one was last entered.
    Page_Rec* CameFrom = nullptr;
};

} // namespace lumeria

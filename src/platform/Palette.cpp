#include "platform/Palette.h"

namespace lumeria {

namespace {

Palette makeDefault256()
{
    Palette p{};
    constexpr uint8_t low[10][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
                                    {128, 0, 128}, {0, 128, 128}, {192, 192, 192}, {192, 220, 192}, {166, 202, 240}};
    constexpr uint8_t high[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},   {0, 255, 0},
                                     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255}, {255, 255, 255}};
    for (int i = 0; i < 10; ++i) {
        p[i] = {low[i][0], low[i][1], low[i][2], 0};
        p[246 + i] = {high[i][0], high[i][1], high[i][2], 0};
    }
    // 216 entries of a 6x6x6 colour cube, then 20 greys between black and
    // white exclusive: a smooth set that covers pictures reasonably.
    int i = 10;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                p[i++] = {uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51), 0};
    for (int k = 1; k <= 20; ++k) {
        const auto v = uint8_t(k * 255 / 21);
        p[i++] = {v, v, v, 0};
    }
    return p;
}

Palette makeSixteen()
{
    Palette p{};
    constexpr uint8_t vga[16][3] = {{0, 0, 0},       {0, 0, 191},   {0, 191, 0},   {0, 191, 191},
                                    {191, 0, 0},     {191, 0, 191}, {191, 191, 0}, {192, 192, 192},
                                    {128, 128, 128}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
                                    {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};
    for (int i = 0; i < 16; ++i)
        p[i] = {vga[i][0], vga[i][1], vga[i][2], 0};
    return p;
}

} // namespace

const Palette& defaultPalette256()
{
    static const Palette p = makeDefault256();
    return p;
}

const Palette& sixteenColourPalette()
{
    static const Palette p = makeSixteen();
    return p;
}

} // namespace lumeria

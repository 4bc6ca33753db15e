// The icon of a Windows executable, read from its resources: a PE image
// written here byte by byte, with its icon group and the icon it names.
#include "platform/image/ExecutableIcon.h"
#include "platform/image/IconDecoder.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <span>

namespace lumeria {
namespace {

void put16(QByteArray& out, uint32_t v)
{
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}

void put32(QByteArray& out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

QByteArray pngIcon(QRgb colour)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

std::span<const std::byte> bytesOf(const QByteArray& a)
{
    return std::as_bytes(std::span(a.constData(), size_t(a.size())));
}

// A PE32 image of one section, .rsrc, holding RT_ICON 1 and RT_GROUP_ICON 1.
// groupIconId is the number the group gives its image.
QByteArray executableWithIcon(const QByteArray& icon, uint16_t groupIconId = 1)
{
    constexpr uint32_t kSectionRva = 0x1000;
    constexpr uint32_t kSectionFile = 0x200;
    QByteArray group;
    put16(group, 0);
    put16(group, 1);
    put16(group, 1);
    group += char(16);
    group += char(16);
    group += char(0);
    group += char(0);
    put16(group, 1);
    put16(group, 32);
    put32(group, uint32_t(icon.size()));
    put16(group, groupIconId);

    // The tree: root, then for each type a name level and a language level.
    const auto directory = [](const QList<std::pair<uint32_t, uint32_t>>& entries) {
        QByteArray d(12, '\0');
        put16(d, 0);
        put16(d, uint32_t(entries.size()));
        for (const auto& [id, target] : entries) {
            put32(d, id);
            put32(d, target);
        }
        return d;
    };
    constexpr uint32_t kSub = 0x80000000U;
    // Offsets within the tree, each directory 24 bytes (one entry) but the
    // root 32 (two).
    const uint32_t iconName = 32, iconLang = 56, groupName = 80, groupLang = 104, iconLeaf = 128, groupLeaf = 144,
                   data = 160;
    QByteArray tree = directory({{3, kSub | iconName}, {14, kSub | groupName}});
    tree += directory({{1, kSub | iconLang}});
    tree += directory({{0x409, iconLeaf}});
    tree += directory({{1, kSub | groupLang}});
    tree += directory({{0x409, groupLeaf}});
    put32(tree, kSectionRva + data);
    put32(tree, uint32_t(icon.size()));
    put32(tree, 0);
    put32(tree, 0);
    put32(tree, kSectionRva + data + uint32_t(icon.size()));
    put32(tree, uint32_t(group.size()));
    put32(tree, 0);
    put32(tree, 0);
    EXPECT_EQ(tree.size(), qsizetype(data));
    tree += icon + group;

    QByteArray pe(0x3C, '\0');
    pe[0] = 'M';
    pe[1] = 'Z';
    put32(pe, 64);
    pe += "PE";
    pe += QByteArray(2, '\0');
    put16(pe, 0x14C);
    put16(pe, 1);
    pe += QByteArray(12, '\0');
    put16(pe, 224);
    put16(pe, 0x102);
    QByteArray optional(224, '\0');
    optional[0] = char(0x0B);
    optional[1] = char(0x01);
    QByteArray resources;
    put32(resources, kSectionRva);
    put32(resources, uint32_t(tree.size()));
    optional.replace(96 + 16, 8, resources);
    pe += optional;
    QByteArray section(".rsrc\0\0\0", 8);
    put32(section, uint32_t(tree.size()));
    put32(section, kSectionRva);
    put32(section, uint32_t(tree.size()));
    put32(section, kSectionFile);
    section += QByteArray(16, '\0');
    pe += section;
    pe += QByteArray(qsizetype(kSectionFile) - pe.size(), '\0');
    return pe + tree;
}

TEST(ExecutableIcon, TheIconGroupBecomesTheIconFileItWasMadeFrom)
{
    const QByteArray exe = executableWithIcon(pngIcon(qRgb(200, 30, 40)));
    const std::optional<QByteArray> icon = iconFileFromExecutable(bytesOf(exe));
    ASSERT_TRUE(icon);
    Result<DecodedPicture> decoded = decodeIcon(bytesOf(*icon));
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded->image.size(), QSize(16, 16));
    EXPECT_EQ(decoded->image.pixel(8, 8), qRgb(200, 30, 40));

    // Anything after the image, a container for one, changes nothing.
    EXPECT_EQ(iconFileFromExecutable(bytesOf(exe + QByteArray(5000, 'x'))), icon);
}

TEST(ExecutableIcon, ImagesThatAreNotThereOrCutShortGiveNoIcon)
{
    const QByteArray exe = executableWithIcon(pngIcon(qRgb(1, 2, 3)));
    EXPECT_FALSE(iconFileFromExecutable(bytesOf(executableWithIcon(pngIcon(qRgb(1, 2, 3)), 7))));
    for (qsizetype cut = 0; cut < exe.size(); cut += 37)
        EXPECT_FALSE(iconFileFromExecutable(bytesOf(exe.left(cut)))) << cut;
    EXPECT_FALSE(iconFileFromExecutable(bytesOf(QByteArray("MZ"))));
    QByteArray lying = exe;
    lying.replace(0x3C, 4, QByteArray("\xF0\xFF\xFF\x7F", 4)); // the PE header far past the end
    EXPECT_FALSE(iconFileFromExecutable(bytesOf(lying)));
}

} // namespace
} // namespace lumeria

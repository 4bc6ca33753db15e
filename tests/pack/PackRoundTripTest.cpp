#include "ContainerBuilder.h"
#include "pack/PackRun.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::readFile;
using test::writeFile;

using test::pack;
using test::PackRun;

QByteArray pngBytes(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

const char* kPublication =
    "Title=Round trip\r\n"
    "Author=Test\r\n"
    "ScreenWidth=800\r\nScreenHeight=600\r\n"
    "AllowEsc=Yes\r\nFullScreen=Yes\r\nSizeable=No\r\nExtractOp=129\r\n"
    "L_OK=Valider\r\n"
    "MasterPage\r\n"
    "ObjectType=8\r\nX1=0\r\nY1=0\r\nX2=100\r\nY2=20\r\nText=Footer\r\n"
    "NewPage=Home\r\nPageColor=16777215\r\nShowMaster=Yes\r\nPageAction=SV \"SEEN\" \"1\"\r\n"
    "PagePalette=255 65280 \r\n"
    "ObjectType=3\r\nX1=10\r\nY1=10\r\nX2=90\r\nY2=30\r\nStyle=2\r\nInitState=1\r\nVarName=Ticked\r\n"
    "Text=Caf\xE9\r\nKey=16449\r\n"
    "ObjectType=4\r\nFileName=logo.png\r\nScale=Yes\r\n"
    "NewPage=Second\r\n";

class PackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_src = m_dir.filePath(QStringLiteral("src"));
        ASSERT_TRUE(QDir().mkpath(m_src));
        ASSERT_TRUE(writeFile(m_src + QStringLiteral("/runtime.pub"), kPublication));
        ASSERT_TRUE(writeFile(m_src + QStringLiteral("/logo.png"), pngBytes(48, 16)));
        ASSERT_TRUE(writeFile(m_src + QStringLiteral("/Story.txt"), "Once upon a time\r\n"));
        ASSERT_TRUE(writeFile(m_src + QStringLiteral("/STORY.TXT.V"), "formatted"));
        ASSERT_TRUE(writeFile(m_src + QStringLiteral("/codec.dll"), "MZ"));
        m_lum = m_dir.filePath(QStringLiteral("pub.lum"));
    }

    QTemporaryDir m_dir;
    QString m_src;
    QString m_lum;
};

TEST_F(PackTest, BuildThenListShowsEveryFileWithItsType)
{
    const PackRun built = pack({QStringLiteral("build"), m_src, QStringLiteral("-o"), m_lum});
    ASSERT_EQ(built.exitCode, 0) << built.err.toStdString();
    const PackRun listed = pack({QStringLiteral("list"), m_lum});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    const QList<QByteArray> lines = listed.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 5);
    QMap<QByteArray, QList<QByteArray>> byName;
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.split('\t');
        ASSERT_EQ(fields.size(), 6) << line.toStdString();
        byName[fields[0]] = fields;
    }
    EXPECT_EQ(byName["RUNTIME.PUB"][1], "0");
    EXPECT_EQ(byName["LOGO.PNG"][1], "2");
    EXPECT_EQ(byName["LOGO.PNG"][4], "48");
    EXPECT_EQ(byName["LOGO.PNG"][5], "16");
    EXPECT_EQ(byName["STORY.TXT"][1], "1");
    EXPECT_EQ(byName["STORY.TXT.V"][1], "8");
    EXPECT_EQ(byName["CODEC.DLL"][1], "7");
    EXPECT_EQ(byName["STORY.TXT"][3], "18");
}

TEST_F(PackTest, ContainerAppendedToAProgramExtractsByteForByte)
{
    const QString exe = m_dir.filePath(QStringLiteral("player"));
    ASSERT_TRUE(writeFile(exe, QByteArray(12345, '\x7f')));
    const QString out = m_dir.filePath(QStringLiteral("pub.bin"));
    ASSERT_EQ(pack({QStringLiteral("build"), m_src, QStringLiteral("-o"), out, QStringLiteral("--exe"), exe}).exitCode,
              0);
    EXPECT_TRUE(QFileInfo(out).isExecutable());
    EXPECT_EQ(readFile(out).left(12345), readFile(exe));

    const QString dest = m_dir.filePath(QStringLiteral("unpacked"));
    const PackRun extracted = pack({QStringLiteral("extract"), out, dest});
    ASSERT_EQ(extracted.exitCode, 0) << extracted.err.toStdString();
    EXPECT_EQ(readFile(dest + QStringLiteral("/LOGO.PNG")), readFile(m_src + QStringLiteral("/logo.png")));
    EXPECT_EQ(readFile(dest + QStringLiteral("/RUNTIME.PUB")), QByteArray(kPublication));
    EXPECT_EQ(readFile(dest + QStringLiteral("/CODEC.DLL")), QByteArray("MZ"));

    const QString one = m_dir.filePath(QStringLiteral("one"));
    ASSERT_EQ(pack({QStringLiteral("extract"), out, one, QStringLiteral("story.txt")}).exitCode, 0);
    EXPECT_EQ(QDir(one).entryList(QDir::Files), QStringList{QStringLiteral("STORY.TXT")});
}

TEST_F(PackTest, DumpShowsTheModelUnderItsKeyNames)
{
    ASSERT_EQ(pack({QStringLiteral("build"), m_src, QStringLiteral("-o"), m_lum}).exitCode, 0);
    const PackRun dumped = pack({QStringLiteral("dump"), m_lum});
    ASSERT_EQ(dumped.exitCode, 0) << dumped.err.toStdString();
    QJsonParseError error;
    const QJsonObject root = QJsonDocument::fromJson(dumped.out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();

    EXPECT_EQ(root[QStringLiteral("status")].toInt(), 0);
    const QJsonObject header = root[QStringLiteral("header")].toObject();
    EXPECT_EQ(header[QStringLiteral("Title")].toString(), QStringLiteral("Round trip"));
    EXPECT_EQ(header[QStringLiteral("ScreenWidth")].toInt(), 800);
    EXPECT_EQ(header[QStringLiteral("AllowEsc")].toBool(), true);
    EXPECT_EQ(header[QStringLiteral("ExtractOp")].toInt(), 129);
    EXPECT_EQ(header[QStringLiteral("WindowBorder")].toString(), QStringLiteral("None"));

    const QJsonObject strings = root[QStringLiteral("strings")].toObject();
    EXPECT_EQ(strings.size(), 30);
    EXPECT_EQ(strings[QStringLiteral("L_OK")].toString(), QStringLiteral("Valider"));
    EXPECT_EQ(strings[QStringLiteral("L_INSTSUBTITLE")].toString(), QString());

    const QJsonObject master = root[QStringLiteral("master")].toObject();
    EXPECT_EQ(master[QStringLiteral("Name")].toString(), QStringLiteral("Page maître"));
    EXPECT_EQ(master[QStringLiteral("Objects")].toArray().size(), 1);

    const QJsonArray pages = root[QStringLiteral("pages")].toArray();
    ASSERT_EQ(pages.size(), 2);
    const QJsonObject home = pages[0].toObject();
    EXPECT_EQ(home[QStringLiteral("PageAction")].toString(), QStringLiteral("SV \"SEEN\" \"1\""));
    EXPECT_EQ(home[QStringLiteral("ShowMaster")].toBool(), true);
    const QJsonArray palette = home[QStringLiteral("PagePalette")].toArray();
    ASSERT_EQ(palette.size(), 256);
    EXPECT_EQ(palette[0].toInteger(), 255);
    EXPECT_EQ(palette[1].toInteger(), 65280);
    EXPECT_EQ(palette[2].toInteger(), 0);
    EXPECT_EQ(pages[1].toObject()[QStringLiteral("PagePalette")].toArray(), palette);

    const QJsonArray objects = home[QStringLiteral("Objects")].toArray();
    ASSERT_EQ(objects.size(), 2);
    const QJsonObject button = objects[0].toObject();
    EXPECT_EQ(button[QStringLiteral("ObjectType")].toInt(), 3);
    EXPECT_EQ(button[QStringLiteral("X2")].toInt(), 90);
    EXPECT_EQ(button[QStringLiteral("State")].toInt(), 1);
    EXPECT_EQ(button[QStringLiteral("Key")].toInt(), 16449);
    EXPECT_EQ(button[QStringLiteral("VarName")].toString(), QStringLiteral("Ticked"));
    EXPECT_EQ(button[QStringLiteral("Text")].toString(), QStringLiteral("Café"));
    const QJsonObject picture = objects[1].toObject();
    EXPECT_EQ(picture[QStringLiteral("FillPattern")].toInt(), 1);
    EXPECT_EQ(picture[QStringLiteral("Scale")].toBool(), true);
    EXPECT_FALSE(picture.contains(QStringLiteral("Text")));
}

TEST_F(PackTest, BadInputGetsOneLineAndStatus1)
{
    const QString garbage = m_dir.filePath(QStringLiteral("garbage.lum"));
    ASSERT_TRUE(writeFile(garbage, "this is not a container at all"));
    const QList<QStringList> bad = {
        {},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("list"), m_dir.filePath(QStringLiteral("missing.lum"))},
        {QStringLiteral("list"), garbage},
        {QStringLiteral("dump"), garbage},
        {QStringLiteral("extract"), garbage, m_dir.filePath(QStringLiteral("x"))},
        {QStringLiteral("build"), m_dir.filePath(QStringLiteral("nowhere")), QStringLiteral("-o"), m_lum},
        {QStringLiteral("build"), m_src},
    };
    for (const QStringList& args : bad) {
        const PackRun r = pack(args);
        EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("lumeria-pack: ")) << r.err.toStdString();
    }
}

TEST_F(PackTest, DumpWithoutPublicationTextFails)
{
    const QString lum = m_dir.filePath(QStringLiteral("nopub.lum"));
    ASSERT_TRUE(writeFile(lum, test::containerBytes({{"A.TXT", "a"}})));
    const PackRun r = pack({QStringLiteral("dump"), lum});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(QJsonDocument::fromJson(r.out).object()[QStringLiteral("status")].toInt(), -2);
}

TEST_F(PackTest, ExtractRefusesNamesThatEscapeTheFolder)
{
    const QString lum = m_dir.filePath(QStringLiteral("evil.lum"));
    ASSERT_TRUE(writeFile(
        lum, test::containerBytes({{"..\\EVIL.TXT", "x"}, {"../EVIL2.TXT", "y"}, {"..", "z"}, {"OK.TXT", "ok"}})));
    const QString dest = m_dir.filePath(QStringLiteral("deep/inside"));
    const PackRun r = pack({QStringLiteral("extract"), lum, dest});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(readFile(dest + QStringLiteral("/OK.TXT")), QByteArray("ok"));
    EXPECT_EQ(QDir(dest).entryList(QDir::Files), QStringList{QStringLiteral("OK.TXT")});
    EXPECT_TRUE(QDir(m_dir.filePath(QStringLiteral("deep"))).entryList(QDir::Files).isEmpty());
}

TEST(PackTour, TheTourPublicationLoadsCompletely)
{
    const PackRun r = pack({QStringLiteral("dump"), QStringLiteral(LUMERIA_TOUR)});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(root[QStringLiteral("status")].toInt(), 0);
    EXPECT_GE(root[QStringLiteral("pages")].toArray().size(), 3);
}

} // namespace
} // namespace lumeria

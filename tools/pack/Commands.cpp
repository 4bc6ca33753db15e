#include "Commands.h"

#include "DumpJson.h"
#include "container/Container.h"
#include "container/TextSource.h"
#include "document/Parser.h"
#include "platform/Codepage.h"
#include "platform/Folders.h"
#include "platform/IoError.h"
#include "platform/Palette.h"
#include "platform/PictureHeader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <limits>
#include <vector>

namespace lumeria::pack {

namespace {

int fail(const QString& message)
{
    std::cerr << "lumeria-pack: " << message.toStdString() << '\n';
    return 1;
}

QString describe(int code)
{
    return ioErrorText(code) + QStringLiteral(" (code ") + QString::number(code) + QLatin1Char(')');
}

void appendInt32(QByteArray& out, int32_t v)
{
    const auto u = uint32_t(v);
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((u >> shift) & 0xFF));
}

Result<std::unique_ptr<Container>> openOrReport(const QString& file)
{
    auto container = Container::open(file);
    if (!container)
        fail(QStringLiteral("cannot read the container of %1: %2").arg(file, describe(container.error())));
    return container;
}

struct PackedFile {
    QString name;
    QByteArray encodedName;
    QByteArray data;
    int type = 1;
    PictureDimensions size;
};

} // namespace

int entryTypeForName(const QString& upperName)
{
    static const QStringList pictureExtensions = {
        QStringLiteral(".BMP"), QStringLiteral(".DIB"),  QStringLiteral(".PCX"), QStringLiteral(".PNG"),
        QStringLiteral(".JPG"), QStringLiteral(".JPEG"), QStringLiteral(".TIF"), QStringLiteral(".TIFF"),
        QStringLiteral(".ICO"), QStringLiteral(".WMF"),  QStringLiteral(".GIF"),
    };
    if (upperName == QLatin1String("RUNTIME.PUB"))
        return int(EntryType::Publication);
    if (upperName.endsWith(QLatin1String(".V")))
        return int(EntryType::FormattedCompanion);
    if (upperName.endsWith(QLatin1String(".DLL")))
        return int(EntryType::Library);
    for (const QString& ext : pictureExtensions) {
        if (upperName.endsWith(ext))
            return int(EntryType::Picture);
    }
    return int(EntryType::Text);
}

int build(const QString& sourceFolder, const QString& output, const QString& player)
{
    const QDir dir(sourceFolder);
    if (!dir.exists())
        return fail(QStringLiteral("no such folder: %1").arg(sourceFolder));

    std::vector<PackedFile> files;
    const QFileInfoList infos = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& info : infos) {
        PackedFile f;
        f.name = info.fileName().toUpper();
        f.encodedName = activeCodepage().encode(f.name);
        if (f.encodedName.size() > 255)
            return fail(QStringLiteral("file name longer than 255 characters: %1").arg(info.fileName()));
        if (activeCodepage().decode(f.encodedName) != f.name)
            return fail(
                QStringLiteral("file name not representable in %1: %2").arg(activeCodepage().name(), info.fileName()));
        QFile in(info.absoluteFilePath());
        if (!in.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("cannot read %1: %2").arg(info.absoluteFilePath(), in.errorString()));
        f.data = in.readAll();
        f.type = entryTypeForName(f.name);
        if (f.type == int(EntryType::Picture)) {
            const auto size = pictureDimensions(std::as_bytes(std::span(f.data.constData(), size_t(f.data.size()))));
            if (size)
                f.size = *size;
            else
                std::cerr << "lumeria-pack: warning: cannot read the picture size of " << f.name.toStdString()
                          << "; recorded as 0 by 0\n";
        }
        files.push_back(std::move(f));
    }
    std::sort(files.begin(), files.end(), [](const PackedFile& a, const PackedFile& b) { return a.name < b.name; });
    for (size_t i = 1; i < files.size(); ++i) {
        if (files[i].name == files[i - 1].name)
            return fail(QStringLiteral("two files are both named %1 once upper-cased").arg(files[i].name));
    }

    QByteArray out;
    if (!player.isEmpty()) {
        QFile exe(player);
        if (!exe.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("cannot read the player %1: %2").arg(player, exe.errorString()));
        out = exe.readAll();
    }

    QByteArray directory;
    for (const PackedFile& f : files) {
        if (int64_t(out.size()) + f.data.size() > std::numeric_limits<int32_t>::max())
            return fail(QStringLiteral("the container would exceed 2 GiB"));
        directory.append(char(f.encodedName.size()));
        directory.append(f.encodedName);
        directory.append(char(f.type));
        appendInt32(directory, int32_t(out.size()));
        appendInt32(directory, int32_t(f.data.size()));
        appendInt32(directory, f.size.width);
        appendInt32(directory, f.size.height);
        out.append(f.data);
    }
    if (int64_t(out.size()) + directory.size() + 4 > std::numeric_limits<int32_t>::max())
        return fail(QStringLiteral("the container would exceed 2 GiB"));
    const auto directoryOffset = int32_t(out.size());
    out.append(directory);
    appendInt32(out, directoryOffset);

    // Written beside the target and renamed over it, so a failed build never
    // leaves half a publication where a good one was.
    QSaveFile save(output);
    if (!save.open(QIODevice::WriteOnly) || save.write(out) != out.size() || !save.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(output, save.errorString()));
    if (!player.isEmpty()) {
        QFile::setPermissions(output, QFile::permissions(output) | QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                                          QFileDevice::ExeOther);
    }
    return 0;
}

int list(const QString& file)
{
    auto container = openOrReport(file);
    if (!container)
        return 1;
    for (const ContainerEntry& e : container.value()->entries()) {
        std::cout << e.Name.toStdString() << '\t' << int(e.Type) << '\t' << e.Offset << '\t' << e.Size << '\t'
                  << e.Width << '\t' << e.Height << '\n';
    }
    if (const int rejected = container.value()->rejectedEntries())
        return fail(QStringLiteral("%1 directory entries point outside the file and were left out").arg(rejected));
    return 0;
}

int extract(const QString& file, const QString& folder, const QStringList& names)
{
    auto opened = openOrReport(file);
    if (!opened)
        return 1;
    Container& container = *opened.value();
    if (!makeFolderPath(folder))
        return fail(QStringLiteral("cannot create the folder %1").arg(folder));
    container.setExtractionFolder({QFileInfo(folder).absoluteFilePath(), false}, 0);

    int status = 0;
    QStringList wanted = names;
    if (wanted.isEmpty()) {
        // Every entry by its own name; lookup would drop a folder part and
        // find another entry, so unsafe names are refused here already.
        for (const ContainerEntry& e : container.entries()) {
            if (isUnsafeEntryName(e.Name))
                status = fail(QStringLiteral("refusing the unsafe entry name \"%1\"").arg(e.Name));
            else if (!wanted.contains(e.Name))
                wanted.append(e.Name);
        }
    }
    for (const QString& name : wanted) {
        if (!container.find(name)) {
            status = fail(QStringLiteral("%1 is not in the container").arg(name));
            continue;
        }
        const ExtractResult r = container.extract(name);
        switch (r.status) {
        case ExtractStatus::Extracted: std::cout << r.path.toStdString() << '\n'; break;
        case ExtractStatus::Existing:
            std::cerr << "lumeria-pack: kept the existing file " << r.path.toStdString() << '\n';
            break;
        case ExtractStatus::Failed:
            status = fail(QStringLiteral("cannot extract %1: %2").arg(name, describe(r.errorCode)));
            break;
        }
    }
    return status;
}

int dump(const QString& file)
{
    auto opened = openOrReport(file);
    if (!opened)
        return 1;
    EntrySource entry(*opened.value(), QStringLiteral("RUNTIME.PUB"));
    TextSource source(entry);
    Publication pub;
    const int status = loadPublication(source, pub, defaultPalette256());
    if (!writePublicationJson(stdout, pub, status))
        return fail(QStringLiteral("cannot write the dump to standard output"));
    if (status == io::kNotInContainer)
        return fail(QStringLiteral("the container holds no RUNTIME.PUB"));
    if (status != 0)
        return fail(QStringLiteral("the publication did not load completely: %1").arg(describe(status)));
    return 0;
}

} // namespace lumeria::pack

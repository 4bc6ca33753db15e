#include "media/MciCommand.h"

#include "media/MciErrors.h"

#include <array>
#include <span>
#include <string_view>

namespace lumeria::media {

namespace {

// What a keyword is followed by: its argument type, read once here.
enum class Takes : uint8_t {
    Nothing,    // a flag
    Integer,    // a number, colon notation allowed
    String,     // the next word as it is
    TimeFormat, // one of the time format constants, or its number
    FormatTag,  // "pcm" or a number
    OnOff,      // "on" or "off"
};

enum class Field : uint8_t {
    Flag,
    Type,
    Alias,
    From,
    To,
    SeekTo,
    Track,
    TimeFormat,
    Audio,
    Video,
    DoorOpen,
    DoorClosed,
    Volume,
    FormatTag,
    Channels,
    SamplesPerSec,
    BytesPerSec,
    Alignment,
    BitsPerSample,
    Ignored,
};

struct Keyword {
    std::string_view words; // lower case, one blank between words
    Takes takes;
    Field field;
    MciFlag flag = MciFlag::Wait;
};

constexpr uint8_t kindBit(DeviceType type)
{
    return uint8_t(1u << unsigned(type));
}

constexpr uint8_t kAnyKind = 0;
constexpr uint8_t kWave = kindBit(DeviceType::WaveAudio);
constexpr uint8_t kCd = kindBit(DeviceType::CdAudio);

struct ItemRow {
    std::string_view words;
    MciItem item;
    uint32_t number = 0; // the status constant's value, 0 for none
    uint8_t kinds = kAnyKind;
    bool takesNumber = false; // sysinfo's "name N"
};

constexpr Keyword kWait{"wait", Takes::Nothing, Field::Flag, MciFlag::Wait};
constexpr Keyword kNotify{"notify", Takes::Nothing, Field::Flag, MciFlag::Notify};

constexpr std::array kOpen{
    kWait,
    kNotify,
    Keyword{"type", Takes::String, Field::Type},
    Keyword{"alias", Takes::String, Field::Alias},
    Keyword{"shareable", Takes::Nothing, Field::Flag, MciFlag::Shareable},
    Keyword{"style", Takes::String, Field::Ignored},
    Keyword{"parent", Takes::Integer, Field::Ignored},
    Keyword{"buffer", Takes::Integer, Field::Ignored},
};
constexpr std::array kPlay{
    kWait,
    kNotify,
    Keyword{"from", Takes::Integer, Field::From},
    Keyword{"to", Takes::Integer, Field::To},
    Keyword{"repeat", Takes::Nothing, Field::Flag, MciFlag::Repeat},
    Keyword{"fullscreen", Takes::Nothing, Field::Flag, MciFlag::Fullscreen},
    Keyword{"window", Takes::Nothing, Field::Flag, MciFlag::Window},
};
constexpr std::array kPlain{kWait, kNotify};
constexpr std::array kSeek{
    kWait,
    kNotify,
    Keyword{"to start", Takes::Nothing, Field::Flag, MciFlag::SeekStart},
    Keyword{"to end", Takes::Nothing, Field::Flag, MciFlag::SeekEnd},
    Keyword{"to", Takes::Integer, Field::SeekTo},
};
constexpr std::array kStatus{
    kWait,
    kNotify,
    Keyword{"track", Takes::Integer, Field::Track},
    Keyword{"start", Takes::Nothing, Field::Flag, MciFlag::Start},
};
constexpr std::array kSysinfo{kWait, kNotify, Keyword{"open", Takes::Nothing, Field::Flag, MciFlag::Open}};
constexpr std::array kSet{
    kWait,
    kNotify,
    Keyword{"time format", Takes::TimeFormat, Field::TimeFormat},
    Keyword{"audio all", Takes::OnOff, Field::Audio},
    Keyword{"audio left", Takes::OnOff, Field::Audio},
    Keyword{"audio right", Takes::OnOff, Field::Audio},
    Keyword{"video", Takes::OnOff, Field::Video},
    Keyword{"door open", Takes::Nothing, Field::DoorOpen},
    Keyword{"door closed", Takes::Nothing, Field::DoorClosed},
    Keyword{"speed", Takes::Integer, Field::Ignored},
    Keyword{"tempo", Takes::Integer, Field::Ignored},
    Keyword{"format tag", Takes::FormatTag, Field::FormatTag},
    Keyword{"channels", Takes::Integer, Field::Channels},
    Keyword{"samplespersec", Takes::Integer, Field::SamplesPerSec},
    Keyword{"bytespersec", Takes::Integer, Field::BytesPerSec},
    Keyword{"alignment", Takes::Integer, Field::Alignment},
    Keyword{"bitspersample", Takes::Integer, Field::BitsPerSample},
    Keyword{"any input", Takes::Nothing, Field::Ignored},
    Keyword{"any output", Takes::Nothing, Field::Ignored},
    Keyword{"input", Takes::Integer, Field::Ignored},
    Keyword{"output", Takes::Integer, Field::Ignored},
};
constexpr std::array kCue{
    kWait,
    kNotify,
    Keyword{"output", Takes::Nothing, Field::Flag, MciFlag::Output},
    Keyword{"input", Takes::Nothing, Field::Flag, MciFlag::Input},
    Keyword{"to", Takes::Integer, Field::Ignored},
};
constexpr std::array kSetAudio{
    kWait,
    kNotify,
    Keyword{"volume to", Takes::Integer, Field::Volume},
    Keyword{"treble to", Takes::Integer, Field::Ignored},
    Keyword{"bass to", Takes::Integer, Field::Ignored},
    Keyword{"left", Takes::Nothing, Field::Ignored},
    Keyword{"right", Takes::Nothing, Field::Ignored},
    Keyword{"on", Takes::Nothing, Field::Ignored},
    Keyword{"off", Takes::Nothing, Field::Ignored},
};

constexpr std::array kStatusItems{
    ItemRow{"length", MciItem::Length, 1},
    ItemRow{"position", MciItem::Position, 2},
    ItemRow{"number of tracks", MciItem::NumberOfTracks, 3},
    ItemRow{"mode", MciItem::Mode, 4},
    ItemRow{"media present", MciItem::MediaPresent, 5},
    ItemRow{"time format", MciItem::TimeFormat, 6},
    ItemRow{"ready", MciItem::Ready, 7},
    ItemRow{"current track", MciItem::CurrentTrack, 8},
    ItemRow{"start position", MciItem::StartPosition},
    ItemRow{"type", MciItem::TrackType, 0x4001, kCd},
    ItemRow{"frame rate", MciItem::FrameRate},
    ItemRow{"format tag", MciItem::FormatTag, 0x4001, kWave},
    ItemRow{"channels", MciItem::Channels, 0x4002, kWave},
    ItemRow{"samplespersec", MciItem::SamplesPerSec, 0x4003, kWave},
    ItemRow{"bytespersec", MciItem::BytesPerSec, 0x4004, kWave},
    ItemRow{"alignment", MciItem::Alignment, 0x4005, kWave},
    ItemRow{"bitspersample", MciItem::BitsPerSample, 0x4006, kWave},
};
constexpr std::array kCapabilityItems{
    ItemRow{"can play", MciItem::CanPlay},
    ItemRow{"can record", MciItem::CanRecord},
    ItemRow{"can save", MciItem::CanSave},
    ItemRow{"can eject", MciItem::CanEject},
    ItemRow{"has audio", MciItem::HasAudio},
    ItemRow{"has video", MciItem::HasVideo},
    ItemRow{"device type", MciItem::DeviceType},
    ItemRow{"uses files", MciItem::UsesFiles},
    ItemRow{"compound device", MciItem::CompoundDevice},
    ItemRow{"can reverse", MciItem::CanReverse},
    ItemRow{"can stretch", MciItem::CanStretch},
    ItemRow{"can freeze", MciItem::CanFreeze},
    ItemRow{"inputs", MciItem::Inputs, 0, kWave},
    ItemRow{"outputs", MciItem::Outputs, 0, kWave},
};
// Info takes several items and answers the first of this order.
constexpr std::array kInfoItems{
    ItemRow{"product", MciItem::Product},           ItemRow{"upc", MciItem::Upc, 0, kCd},
    ItemRow{"identity", MciItem::Identity, 0, kCd}, ItemRow{"file", MciItem::File},
    ItemRow{"version", MciItem::Version},
};
constexpr std::array kSysinfoItems{
    ItemRow{"quantity", MciItem::Quantity},
    ItemRow{"name", MciItem::Name, 0, kAnyKind, true},
    ItemRow{"installname", MciItem::InstallName},
};

// How a command reads the words after its device name.
enum class Shape : uint8_t {
    Keywords,    // keywords only
    Item,        // keywords and one item constant; an unknown word is a bad constant
    Items,       // keywords and item flags, several allowed (info)
    ItemFlag,    // keywords and one item flag (sysinfo)
    Anything,    // placement and window words, kept as they are
    OptionalName // sound: the name of a sound, or none
};

struct Command {
    std::string_view verb;
    MciVerb id;
    Shape shape;
    std::span<const Keyword> keywords;
    std::span<const ItemRow> items;
};

const std::array kCommands{
    Command{"open", MciVerb::Open, Shape::Keywords, kOpen, {}},
    Command{"close", MciVerb::Close, Shape::Keywords, kPlain, {}},
    Command{"play", MciVerb::Play, Shape::Keywords, kPlay, {}},
    Command{"stop", MciVerb::Stop, Shape::Keywords, kPlain, {}},
    Command{"pause", MciVerb::Pause, Shape::Keywords, kPlain, {}},
    Command{"resume", MciVerb::Resume, Shape::Keywords, kPlain, {}},
    Command{"seek", MciVerb::Seek, Shape::Keywords, kSeek, {}},
    Command{"status", MciVerb::Status, Shape::Item, kStatus, kStatusItems},
    Command{"set", MciVerb::Set, Shape::Keywords, kSet, {}},
    Command{"capability", MciVerb::Capability, Shape::Item, kPlain, kCapabilityItems},
    Command{"info", MciVerb::Info, Shape::Items, kPlain, kInfoItems},
    Command{"sysinfo", MciVerb::Sysinfo, Shape::ItemFlag, kSysinfo, kSysinfoItems},
    Command{"cue", MciVerb::Cue, Shape::Keywords, kCue, {}},
    Command{"sound", MciVerb::Sound, Shape::OptionalName, kPlain, {}},
    Command{"setaudio", MciVerb::SetAudio, Shape::Keywords, kSetAudio, {}},
    Command{"realize", MciVerb::Realize, Shape::Anything, {}, {}},
    Command{"update", MciVerb::Update, Shape::Anything, {}, {}},
    Command{"window", MciVerb::Window, Shape::Anything, {}, {}},
    Command{"put", MciVerb::Put, Shape::Anything, {}, {}},
    Command{"where", MciVerb::Where, Shape::Anything, {}, {}},
    Command{"setvideo", MciVerb::SetVideo, Shape::Anything, {}, {}},
    Command{"record", MciVerb::Record, Shape::Anything, {}, {}},
    Command{"save", MciVerb::Save, Shape::Anything, {}, {}},
    Command{"load", MciVerb::Load, Shape::Anything, {}, {}},
    Command{"delete", MciVerb::Delete, Shape::Anything, {}, {}},
    Command{"break", MciVerb::Break, Shape::Anything, {}, {}},
};

struct TimeFormatName {
    std::string_view words;
    MciTimeFormat format;
};

constexpr std::array kTimeFormats{
    TimeFormatName{"milliseconds", MciTimeFormat::Milliseconds},
    TimeFormatName{"ms", MciTimeFormat::Milliseconds},
    TimeFormatName{"hms", MciTimeFormat::Hms},
    TimeFormatName{"msf", MciTimeFormat::Msf},
    TimeFormatName{"frames", MciTimeFormat::Frames},
    TimeFormatName{"smpte 24", MciTimeFormat::Smpte24},
    TimeFormatName{"smpte 25", MciTimeFormat::Smpte25},
    TimeFormatName{"smpte 30", MciTimeFormat::Smpte30},
    TimeFormatName{"smpte 30 drop", MciTimeFormat::Smpte30Drop},
    TimeFormatName{"bytes", MciTimeFormat::Bytes},
    TimeFormatName{"samples", MciTimeFormat::Samples},
    TimeFormatName{"tmsf", MciTimeFormat::Tmsf},
    TimeFormatName{"song pointer", MciTimeFormat::SongPointer},
};

// Words separated by blanks; a word in double quotes may hold blanks.
Result<QStringList> splitWords(const QString& text)
{
    QStringList words;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto blank = [](QChar c) {
        return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
    };
    while (i < n) {
        const QChar c = text[i];
        if (blank(c)) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('"')) {
            const qsizetype end = text.indexOf(QLatin1Char('"'), i + 1);
            if (end < 0)
                return Failure{mci::kNoClosingQuote};
            words << text.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        qsizetype end = i;
        while (end < n && !blank(text[end]))
            ++end;
        words << text.mid(i, end - i);
        i = end;
    }
    return words;
}

// How many words of `words` from `at` the phrase matches, 0 when it does not.
int matchPhrase(std::string_view phrase, const QStringList& words, qsizetype at)
{
    int count = 0;
    while (!phrase.empty()) {
        const size_t blank = phrase.find(' ');
        const std::string_view word = phrase.substr(0, blank);
        if (at + count >= words.size())
            return 0;
        if (words[at + count].compare(QLatin1String(word.data(), qsizetype(word.size())), Qt::CaseInsensitive) != 0)
            return 0;
        ++count;
        phrase = blank == std::string_view::npos ? std::string_view{} : phrase.substr(blank + 1);
    }
    return count;
}

// The longest row of the list whose words start at `at`.
template <class Row>
const Row* longest(std::span<const Row> rows, const QStringList& words, qsizetype at, int* length)
{
    const Row* best = nullptr;
    *length = 0;
    for (const Row& row : rows) {
        const int n = matchPhrase(row.words, words, at);
        if (n > *length) {
            *length = n;
            best = &row;
        }
    }
    return best;
}

bool allDigits(const QString& word)
{
    if (word.isEmpty())
        return false;
    for (const QChar c : word) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// A number, or up to four bytes in colon notation, low byte first: what
// the platform's parser read wherever an integer stands.
std::optional<uint32_t> readInteger(const QString& word)
{
    if (!word.contains(QLatin1Char(':'))) {
        if (!allDigits(word) || word.size() > 10)
            return std::nullopt;
        const qulonglong v = word.toULongLong();
        if (v > 0xFFFFFFFFull)
            return std::nullopt;
        return uint32_t(v);
    }
    const QStringList parts = word.split(QLatin1Char(':'));
    if (parts.size() > 4)
        return std::nullopt;
    uint32_t packed = 0;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (parts[i].isEmpty())
            continue;
        if (!allDigits(parts[i]) || parts[i].size() > 3)
            return std::nullopt;
        const uint32_t byte = parts[i].toUInt();
        if (byte > 255)
            return std::nullopt;
        packed |= byte << (8 * i);
    }
    return packed;
}

// A value keyword given twice asks for two things at once.
template <class T>
bool setOnce(std::optional<T>& slot, T value)
{
    if (slot)
        return false;
    slot = value;
    return true;
}

std::optional<uint32_t>* integerSlot(MciRequest& r, Field field)
{
    switch (field) {
    case Field::From: return &r.from;
    case Field::To: return &r.to;
    case Field::SeekTo: return &r.seekTo;
    case Field::Track: return &r.track;
    case Field::Volume: return &r.volume;
    case Field::FormatTag: return &r.wave.formatTag;
    case Field::Channels: return &r.wave.channels;
    case Field::SamplesPerSec: return &r.wave.samplesPerSec;
    case Field::BytesPerSec: return &r.wave.bytesPerSec;
    case Field::Alignment: return &r.wave.alignment;
    case Field::BitsPerSample: return &r.wave.bitsPerSample;
    case Field::Flag:
    case Field::Type:
    case Field::Alias:
    case Field::TimeFormat:
    case Field::Audio:
    case Field::Video:
    case Field::DoorOpen:
    case Field::DoorClosed:
    case Field::Ignored: return nullptr;
    }
    return nullptr;
}

// Reads one keyword's argument from words[*at]; 0 or an error code.
int readArgument(MciRequest& r, const Keyword& k, const QStringList& words, qsizetype* at)
{
    const bool present = *at < words.size();
    switch (k.takes) {
    case Takes::Nothing:
        switch (k.field) {
        case Field::Flag:
            if (r.flags & uint32_t(k.flag))
                return mci::kDuplicateFlags;
            r.flags |= uint32_t(k.flag);
            return 0;
        case Field::DoorOpen:
        case Field::DoorClosed: return setOnce(r.doorOpen, k.field == Field::DoorOpen) ? 0 : mci::kFlagsNotCompatible;
        case Field::Ignored: return 0;
        case Field::Type:
        case Field::Alias:
        case Field::From:
        case Field::To:
        case Field::SeekTo:
        case Field::Track:
        case Field::TimeFormat:
        case Field::Audio:
        case Field::Video:
        case Field::Volume:
        case Field::FormatTag:
        case Field::Channels:
        case Field::SamplesPerSec:
        case Field::BytesPerSec:
        case Field::Alignment:
        case Field::BitsPerSample: return mci::kParserInternal; // these take a value
        }
        return mci::kParserInternal;
    case Takes::String: {
        if (!present)
            return mci::kMissingStringArgument;
        const QString& value = words[(*at)++];
        if (k.field == Field::Type)
            return setOnce(r.type, value) ? 0 : mci::kDuplicateFlags;
        if (k.field == Field::Alias)
            return setOnce(r.alias, value) ? 0 : mci::kDuplicateFlags;
        r.extra << value;
        return 0;
    }
    case Takes::Integer:
    case Takes::FormatTag: {
        if (!present)
            return mci::kBadInteger;
        const QString& word = words[(*at)++];
        std::optional<uint32_t> value = readInteger(word);
        if (!value && k.takes == Takes::FormatTag && word.compare(QLatin1String("pcm"), Qt::CaseInsensitive) == 0)
            value = 1;
        if (!value)
            return k.takes == Takes::FormatTag ? mci::kBadConstant : mci::kBadInteger;
        std::optional<uint32_t>* slot = integerSlot(r, k.field);
        if (!slot)
            return 0;
        return setOnce(*slot, *value) ? 0 : mci::kFlagsNotCompatible;
    }
    case Takes::TimeFormat: {
        if (!present)
            return mci::kMissingParameter;
        int length = 0;
        const TimeFormatName* named = longest<TimeFormatName>(kTimeFormats, words, *at, &length);
        std::optional<MciTimeFormat> format;
        if (named) {
            format = named->format;
            *at += length;
        } else if (const std::optional<uint32_t> n = readInteger(words[*at])) {
            for (const TimeFormatName& t : kTimeFormats) {
                if (uint32_t(t.format) == *n)
                    format = t.format;
            }
            ++*at;
        }
        if (!format)
            return mci::kBadConstant;
        return setOnce(r.timeFormat, *format) ? 0 : mci::kFlagsNotCompatible;
    }
    case Takes::OnOff: {
        if (!present)
            return mci::kMissingParameter;
        const QString v = words[(*at)++].toLower();
        const bool on = v == QLatin1String("on");
        if (!on && v != QLatin1String("off"))
            return mci::kBadConstant;
        std::optional<bool>& slot = k.field == Field::Audio ? r.audio : r.video;
        slot = on;
        return 0;
    }
    }
    return mci::kParserInternal;
}

// An item: status and capability take one, info several (the first of its
// order answers), sysinfo one.
int takeItem(MciRequest& r, const Command& cmd, const ItemRow& row, const QStringList& words, qsizetype* at)
{
    if (r.item != MciItem::None) {
        if (cmd.shape != Shape::Items)
            return mci::kFlagsNotCompatible;
        if (row.item < r.item)
            r.item = row.item;
    } else {
        r.item = row.item;
    }
    if (row.takesNumber) {
        if (*at >= words.size())
            return mci::kBadInteger;
        r.number = readInteger(words[*at]);
        if (!r.number)
            return mci::kBadInteger;
        ++*at;
    }
    return 0;
}

} // namespace

Result<MciRequest> parseMciCommand(const QString& command)
{
    Result<QStringList> split = splitWords(command);
    if (!split)
        return Failure{split.error()};
    const QStringList& words = split.value();
    if (words.isEmpty())
        return Failure{mci::kMissingCommandString};

    const Command* cmd = nullptr;
    for (const Command& c : kCommands) {
        if (words[0].compare(QLatin1String(c.verb.data(), qsizetype(c.verb.size())), Qt::CaseInsensitive) == 0)
            cmd = &c;
    }
    if (!cmd)
        return Failure{mci::kUnrecognizedCommand};

    MciRequest r;
    r.verb = cmd->id;
    qsizetype at = 1;
    if (cmd->shape == Shape::OptionalName) {
        int length = 0;
        if (words.size() > 1 && !longest(cmd->keywords, words, 1, &length))
            r.device = words[at++];
    } else {
        if (words.size() < 2)
            return Failure{mci::kMissingDeviceName};
        r.device = words[at++];
    }
    if (cmd->shape == Shape::Anything) {
        r.extra = words.mid(at);
        return r;
    }

    while (at < words.size()) {
        int keywordLength = 0;
        int itemLength = 0;
        const Keyword* k = longest(cmd->keywords, words, at, &keywordLength);
        const ItemRow* item = longest(cmd->items, words, at, &itemLength);
        if (item && itemLength > keywordLength) {
            at += itemLength;
            if (const int code = takeItem(r, *cmd, *item, words, &at))
                return Failure{code};
            continue;
        }
        if (k) {
            at += keywordLength;
            if (const int code = readArgument(r, *k, words, &at))
                return Failure{code};
            continue;
        }
        // Status names an item by its number too; any other word where a
        // constant may stand is a constant the table does not have.
        if (cmd->shape == Shape::Item) {
            if (r.item != MciItem::None)
                return Failure{mci::kFlagsNotCompatible};
            if (cmd->id == MciVerb::Status && allDigits(words[at])) {
                const std::optional<uint32_t> n = readInteger(words[at]);
                if (!n)
                    return Failure{mci::kBadConstant};
                r.item = MciItem::ByNumber;
                r.itemNumber = *n;
                ++at;
                continue;
            }
            return Failure{mci::kBadConstant};
        }
        return Failure{mci::kUnrecognizedKeyword};
    }
    return r;
}

bool itemApplies(MciItem item, DeviceType type)
{
    const auto scan = [&](std::span<const ItemRow> rows) -> std::optional<bool> {
        for (const ItemRow& row : rows) {
            if (row.item == item)
                return row.kinds == kAnyKind || (row.kinds & kindBit(type)) != 0;
        }
        return std::nullopt;
    };
    for (const auto rows : {std::span<const ItemRow>(kStatusItems), std::span<const ItemRow>(kCapabilityItems),
                            std::span<const ItemRow>(kInfoItems), std::span<const ItemRow>(kSysinfoItems)}) {
        if (const std::optional<bool> applies = scan(rows))
            return *applies;
    }
    return true;
}

MciItem statusItemNumbered(uint32_t number, DeviceType type)
{
    for (const ItemRow& row : kStatusItems) {
        if (row.number != 0 && row.number == number && (row.kinds == kAnyKind || (row.kinds & kindBit(type)) != 0))
            return row.item;
    }
    return MciItem::None;
}

QStringList mciTableWords()
{
    QStringList out;
    const auto add = [&](std::string_view words) {
        if (!words.empty())
            out << QString::fromLatin1(words.data(), qsizetype(words.size()));
    };
    for (const Command& c : kCommands) {
        add(c.verb);
        for (const Keyword& k : c.keywords)
            add(k.words);
        for (const ItemRow& row : c.items)
            add(row.words);
    }
    for (const TimeFormatName& t : kTimeFormats)
        add(t.words);
    add("pcm");
    add("on");
    add("off");
    out.removeDuplicates();
    return out;
}

} // namespace lumeria::media

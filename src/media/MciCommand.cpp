#include "media/MciCommand.h"

#include "media/MciErrors.h"

#include <array>
#include <span>
#include <string_view>

namespace lumeria::media {

namespace {

// What a keyword is followed by.
enum class Takes : uint8_t {
    Nothing,  // a flag
    Value,    // the next word
    OnOff,    // "on" or "off"
    OpenShut, // "open" or "closed"
    Item,     // one of the command's items (status, capability, info)
};

enum class Field : uint8_t { Flag, Type, Alias, From, To, SeekTo, Track, TimeFormat, Audio, Video, Door, Ignored };

struct Keyword {
    std::string_view words; // lower case, one blank between words
    Takes takes;
    Field field;
    MciFlag flag = MciFlag::Wait;
};

constexpr Keyword kWait{"wait", Takes::Nothing, Field::Flag, MciFlag::Wait};
constexpr Keyword kNotify{"notify", Takes::Nothing, Field::Flag, MciFlag::Notify};

constexpr std::array kOpen{
    kWait,
    kNotify,
    Keyword{"type", Takes::Value, Field::Type},
    Keyword{"alias", Takes::Value, Field::Alias},
    Keyword{"shareable", Takes::Nothing, Field::Flag, MciFlag::Shareable},
    Keyword{"style", Takes::Value, Field::Ignored},
    Keyword{"parent", Takes::Value, Field::Ignored},
    Keyword{"buffer", Takes::Value, Field::Ignored},
};
constexpr std::array kPlay{
    kWait,
    kNotify,
    Keyword{"from", Takes::Value, Field::From},
    Keyword{"to", Takes::Value, Field::To},
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
    Keyword{"to", Takes::Value, Field::SeekTo},
};
constexpr std::array kStatus{
    kWait,
    kNotify,
    Keyword{"track", Takes::Value, Field::Track},
    Keyword{"", Takes::Item, Field::Ignored},
};
constexpr std::array kItemOnly{kWait, kNotify, Keyword{"", Takes::Item, Field::Ignored}};
constexpr std::array kSet{
    kWait,
    kNotify,
    Keyword{"time format", Takes::Value, Field::TimeFormat},
    Keyword{"audio all", Takes::OnOff, Field::Audio},
    Keyword{"audio left", Takes::OnOff, Field::Audio},
    Keyword{"audio right", Takes::OnOff, Field::Audio},
    Keyword{"video", Takes::OnOff, Field::Video},
    Keyword{"door", Takes::OpenShut, Field::Door},
    Keyword{"speed", Takes::Value, Field::Ignored},
    Keyword{"tempo", Takes::Value, Field::Ignored},
};

constexpr std::array<std::string_view, 11> kStatusItems{
    "mode",          "position",      "length",         "ready", "number of tracks", "time format",
    "media present", "current track", "start position", "type",  "frame rate"};
constexpr std::array<std::string_view, 12> kCapabilityItems{
    "can play",    "can record", "can save",        "can eject",   "has audio",   "has video",
    "device type", "uses files", "compound device", "can reverse", "can stretch", "can freeze"};
constexpr std::array<std::string_view, 3> kInfoItems{"product", "file", "version"};
constexpr std::array<std::string_view, 3> kSysinfoItems{"quantity", "name", "installname"};

struct Command {
    std::string_view verb;
    std::span<const Keyword> keywords;
    std::span<const std::string_view> items;
    bool takesAnything = false; // window and placement commands: their words are kept as they are
};

const std::array kCommands{
    Command{"open", kOpen, {}},
    Command{"close", kPlain, {}},
    Command{"play", kPlay, {}},
    Command{"stop", kPlain, {}},
    Command{"pause", kPlain, {}},
    Command{"resume", kPlain, {}},
    Command{"seek", kSeek, {}},
    Command{"status", kStatus, kStatusItems},
    Command{"set", kSet, {}},
    Command{"capability", kItemOnly, kCapabilityItems},
    Command{"info", kItemOnly, kInfoItems},
    Command{"sysinfo", kItemOnly, kSysinfoItems},
    Command{"cue", kPlain, {}},
    Command{"realize", {}, {}, true},
    Command{"update", {}, {}, true},
    Command{"window", {}, {}, true},
    Command{"put", {}, {}, true},
    Command{"where", {}, {}, true},
    Command{"setaudio", {}, {}, true},
    Command{"setvideo", {}, {}, true},
    Command{"record", {}, {}, true},
    Command{"save", {}, {}, true},
    Command{"load", {}, {}, true},
    Command{"delete", {}, {}, true},
    Command{"break", {}, {}, true},
};

// Words separated by blanks; a word in double quotes may hold blanks.
Result<QStringList> splitWords(const QString& text)
{
    QStringList words;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const QChar c = text[i];
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
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
        while (end < n && text[end] != QLatin1Char(' ') && text[end] != QLatin1Char('\t') &&
               text[end] != QLatin1Char('\r') && text[end] != QLatin1Char('\n'))
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

// The longest phrase of the list that starts at `at`.
const Keyword* matchKeyword(std::span<const Keyword> keywords, const QStringList& words, qsizetype at, int* length)
{
    const Keyword* best = nullptr;
    *length = 0;
    for (const Keyword& k : keywords) {
        if (k.words.empty())
            continue;
        const int n = matchPhrase(k.words, words, at);
        if (n > *length) {
            *length = n;
            best = &k;
        }
    }
    return best;
}

std::string_view matchItem(std::span<const std::string_view> items, const QStringList& words, qsizetype at, int* length)
{
    std::string_view best;
    *length = 0;
    for (std::string_view item : items) {
        const int n = matchPhrase(item, words, at);
        if (n > *length) {
            *length = n;
            best = item;
        }
    }
    return best;
}

bool acceptsItem(std::span<const Keyword> keywords)
{
    for (const Keyword& k : keywords) {
        if (k.takes == Takes::Item)
            return true;
    }
    return false;
}

// Fills one field; false when it was given already.
bool setField(MciRequest& r, Field field, const QString& value)
{
    auto once = [](std::optional<QString>& slot, const QString& v) {
        if (slot)
            return false;
        slot = v;
        return true;
    };
    switch (field) {
    case Field::Type: return once(r.type, value);
    case Field::Alias: return once(r.alias, value);
    case Field::From: return once(r.from, value);
    case Field::To: return once(r.to, value);
    case Field::SeekTo: return once(r.seekTo, value);
    case Field::Track: return once(r.track, value);
    case Field::TimeFormat:
        if (r.timeFormat)
            return false;
        r.timeFormat = value.toLower();
        return true;
    default: r.extra << value; return true;
    }
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

    const QString verb = words[0].toLower();
    const Command* cmd = nullptr;
    for (const Command& c : kCommands) {
        if (verb == QLatin1String(c.verb.data(), qsizetype(c.verb.size())))
            cmd = &c;
    }
    if (!cmd)
        return Failure{mci::kUnrecognizedCommand};
    if (words.size() < 2)
        return Failure{mci::kMissingDeviceName};

    MciRequest r;
    r.verb = verb;
    r.device = words[1];
    if (cmd->takesAnything) {
        r.extra = words.mid(2);
        return r;
    }

    const bool wantsItem = acceptsItem(cmd->keywords);
    qsizetype at = 2;
    while (at < words.size()) {
        int length = 0;
        const Keyword* k = matchKeyword(cmd->keywords, words, at, &length);
        if (!k) {
            // An item: status, capability and info ask for exactly one.
            int itemLength = 0;
            const std::string_view item =
                wantsItem ? matchItem(cmd->items, words, at, &itemLength) : std::string_view{};
            if (item.empty())
                return Failure{mci::kUnrecognizedKeyword};
            if (!r.item.isEmpty())
                return Failure{mci::kFlagsNotCompatible};
            r.item = QString::fromLatin1(item.data(), qsizetype(item.size()));
            at += itemLength;
            // sysinfo's "name" takes the number of the device asked for.
            if (r.item == QLatin1String("name") && at < words.size() && words[at].toLongLong() > 0)
                r.extra << words[at++];
            continue;
        }
        at += length;
        switch (k->takes) {
        case Takes::Nothing:
            if (r.flags & uint32_t(k->flag))
                return Failure{mci::kDuplicateFlags};
            r.flags |= uint32_t(k->flag);
            break;
        case Takes::Value:
            if (at >= words.size())
                return Failure{k->field == Field::Type || k->field == Field::Alias ? mci::kMissingStringArgument
                                                                                   : mci::kMissingParameter};
            if (!setField(r, k->field, words[at]))
                return Failure{mci::kDuplicateFlags};
            ++at;
            break;
        case Takes::OnOff:
        case Takes::OpenShut: {
            if (at >= words.size())
                return Failure{mci::kMissingParameter};
            const QString v = words[at++].toLower();
            const bool onOff = k->takes == Takes::OnOff;
            const bool yes = v == QLatin1String(onOff ? "on" : "open");
            if (!yes && v != QLatin1String(onOff ? "off" : "closed"))
                return Failure{mci::kBadConstant};
            std::optional<bool>& slot = k->field == Field::Audio   ? r.audio
                                        : k->field == Field::Video ? r.video
                                                                   : r.doorOpen;
            slot = yes;
            break;
        }
        case Takes::Item: break;
        }
    }
    if (wantsItem && r.item.isEmpty())
        return Failure{mci::kMissingParameter};
    return r;
}

} // namespace lumeria::media

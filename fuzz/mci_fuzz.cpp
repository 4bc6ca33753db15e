// Feeds arbitrary text to the MCI command-string parser and interpreter, as
// MCICommand passes it: no file can be found, so every path through the
// grammar, the time formats and the CD drive without a disc is reached
// without sound.
#include "media/DeviceTable.h"
#include "media/MciCommand.h"
#include "media/MciInterpreter.h"
#include "media/QuietEnvironment.h"

#include <QString>

#include <cstdint>

namespace {

// Finds no file and never waits: the grammar is what is fuzzed, not media.
class NowhereEnvironment final : public lumeria::media::QuietEnvironment {
public:
    void wait(const std::function<bool()>&) override {}
    int64_t clock() const override { return 0; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace lumeria::media;
    static DeviceTable devices;
    static NowhereEnvironment env;
    static MciInterpreter interpreter(devices, DeviceServices{}, env);

    // Several commands a run, one a line, so opened aliases meet later ones.
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const lumeria::Result<MciRequest> parsed = parseMciCommand(line);
        const MciReply reply = interpreter.execute(line);
        // The parser's verdict is the interpreter's first word.
        if (!parsed && reply.code != parsed.error())
            __builtin_trap();
    }
    devices.closeAll();
    return 0;
}

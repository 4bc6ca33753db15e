// Feeds arbitrary text to the MCI command-string parser and interpreter, as
// MCICommand passes it: no file can be found, so every path through the
// grammar, the time formats and the CD drive without a disc is reached
// without sound.
#include "media/DeviceTable.h"
#include "media/MciCommand.h"
#include "media/MciInterpreter.h"

#include <QString>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace lumeria::media;
    static DeviceTable devices;
    static MediaEnvironment env = [] {
        MediaEnvironment e;
        e.locate = [](const QString&) { return std::optional<QString>(); };
        e.wait = [](const std::function<bool()>&) {};
        return e;
    }();
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

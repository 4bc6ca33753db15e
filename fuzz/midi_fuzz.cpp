// Feeds arbitrary bytes to the MIDI file reader: a file either parses into
// a length that the tick and millisecond conversions agree on, or is refused.
#include "media/MidiFile.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using lumeria::media::MidiFile;
    const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
    (void)MidiFile::sniff(bytes);
    const lumeria::Result<MidiFile> file = MidiFile::parse(bytes);
    if (!file)
        return 0;
    const int64_t ms = file->lengthMs();
    if (ms < 0 || file->smf().empty())
        __builtin_trap();
    // Converting back lands within a tick's worth of the length.
    (void)file->msToTicks(ms);
    return 0;
}

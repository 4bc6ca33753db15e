#pragma once

#include "container/ByteSource.h"
#include "platform/Result.h"

#include <QString>

namespace lumeria::gdi {
class Font;
}

namespace lumeria::text {

struct LayoutRequest {
    // Pixels; 0 or less lays out to 200.
    int width = 0;
    bool wordWrap = false;
    // Where the formatted text goes; empty makes a new "$$$" file in the
    // temporary folder, which then belongs to the caller.
    QString output;
    // Where the scratch file is made; empty means the system's temporary
    // folder (TEMP, TMPDIR, /tmp).
    QString temporaryFolder;
};

struct LayoutResult {
    QString output;
    int lineCount = 0;
    int xRange = 0;        // the width, or with no word wrap the widest line
    int maxLineHeight = 0; // the tallest line
};

inline constexpr int kDefaultLayoutWidth = 200;
// A formatted line must come back whole through a reader that gives up on a
// line at 32 KiB; longer lines are cut to this many characters.
inline constexpr int kMaxFormattedLine = 30000;

// Measures a marked-up source with the object's font and writes it as a
// formatted text: one self-contained line per output line, every line padded
// to one length. Fails with io::kTempFileFailed when no scratch file can be
// made, or with the I/O code of the read or write that failed; a failed
// layout leaves no output behind.
Result<LayoutResult> layOutText(const gdi::Font& objectFont, ByteSource& source, const LayoutRequest& request);

} // namespace lumeria::text

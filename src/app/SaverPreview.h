#pragma once

#include <QtGlobal>

namespace lumeria {

class PlayerSession;

// The screen-saver preview (/p HANDLE): the first page, scaled to fit, in a
// small window embedded into the host's window. Embedding needs X11; on any
// other window system, or without a usable handle, there is nothing to show
// into and the preview ends at once with success. Returns the exit status.
int runSaverPreview(PlayerSession& session, qulonglong hostWindow);

} // namespace lumeria

#pragma once

#include <QPixmap>

namespace lumeria {

// The player's own 32×32 pictures for its dialogs, drawn rather than
// shipped, in the flat colours of the classic look.
enum class DialogIcon { Question, Alert, LockClosed, LockOpen };

QPixmap dialogIcon(DialogIcon which);

} // namespace lumeria

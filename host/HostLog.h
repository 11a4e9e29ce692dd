#pragma once

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcHost)

namespace trelvo::host {

// The longest line the host's log shows: a window lays a line out in time that grows with the square
// of its length, on the thread that also runs the game server.
inline constexpr qsizetype kLogLineChars = 240;

} // namespace trelvo::host

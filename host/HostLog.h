#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringView>

Q_DECLARE_LOGGING_CATEGORY(lcHost)

namespace trelvo::host {

// The longest line the host's log shows: a window lays a line out in time that grows with the square
// of its length, on the thread that also runs the game server.
inline constexpr qsizetype kLogLineChars = 240;
// What the log shows of a relayed message: its head, and its length when that is not all of it.
inline constexpr qsizetype kLogHeadChars = 160;

inline QString LogExcerpt(QStringView Message) {
    if (Message.size() <= kLogHeadChars)
        return Message.toString();
    return Message.left(kLogHeadChars).toString() + QStringLiteral("… (%1 characters)").arg(Message.size());
}

} // namespace trelvo::host

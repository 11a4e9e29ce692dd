#pragma once

#include <QString>

namespace trelvo {

// A command-line number: the whole text is an integer from Min to Max, or Value is left as it was.
inline bool ReadInt(const QString &Text, int Min, int Max, int &Value) {
    bool ok = false;
    const int value = Text.toInt(&ok);
    if (!ok || value < Min || value > Max)
        return false;
    Value = value;
    return true;
}

} // namespace trelvo

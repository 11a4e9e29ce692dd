#pragma once

#include "protocol/StatsCipher.h"

#include <QString>

// The scrambling of report fields (in the protocol library, shared with the service) and the hash of a
// file. Text is handled as UTF-16 code units.
namespace trelvo {

// The code units in reverse order (surrogate pairs are not kept together).
QString ReverseText(const QString &Text);

// MD5 of the file's bytes as 32 lower-case hexadecimal digits; empty when the file does not exist
// or cannot be read.
QString FileMD5Text(const QString &FileName);

} // namespace trelvo

#pragma once

#include <QString>

// The scrambling of report fields and the hash of a file. Text is handled as UTF-16 code units.
namespace trelvo {

// The answer text followed by the decimal value of each of its code units, without separators.
QString DeriveKey(const QString &Answer);

// Shifts each code unit by the sum of the key's units plus the key's unit at the cycling position,
// minus its own 1-based position (modulo 65536), then reverses the result. Empty text or key: empty.
QString ScrambleField(const QString &Text, const QString &Key);

// The code units in reverse order (surrogate pairs are not kept together).
QString ReverseText(const QString &Text);

// MD5 of the file's bytes as 32 lower-case hexadecimal digits; empty when the file does not exist
// or cannot be read.
QString FileMD5Text(const QString &FileName);

} // namespace trelvo

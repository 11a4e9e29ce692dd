#pragma once

#include <QString>

// The scrambling of the statistics reports' fields, as the client writes them and the statistics
// service reads them back. Text is handled as UTF-16 code units.
namespace trelvo {

// The key both ends derive from the address the service tells the client: the address followed by the
// decimal value of each of its code units, without separators.
QString DeriveKey(const QString &Answer);

// Shifts each code unit by the sum of the key's units plus the key's unit at the cycling position,
// minus its own 1-based position (modulo 65536), then reverses the result. Empty text or key: empty.
QString ScrambleField(const QString &Text, const QString &Key);

// Undoes ScrambleField with the same key. Empty text or key: empty.
QString UnscrambleField(const QString &Scrambled, const QString &Key);

} // namespace trelvo

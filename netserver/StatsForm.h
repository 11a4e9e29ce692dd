#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// The statistics reports' forms as the clients post them, read back on the server.
namespace trelvo::net {

// The key a client derives from the address the service told it: the address followed by the decimal
// value of each of its UTF-16 units.
QString StatsKey(const QString &Address);

// Undoes the clients' field scrambling: the units reversed, then each shifted back by the key's unit sum
// plus the key's unit at the cycling position, minus its 1-based position (modulo 65536).
QString UnscrambleField(const QString &Scrambled, const QString &Key);

// A form's name=value pairs, percent-decoded. The clients write every UTF-16 unit as its own UTF-8
// sequence (a scrambled unit may be a lone surrogate), so each sequence is read back as one unit.
// Nullopt when there are more than MaxFields pairs or a name or value decodes to more than MaxUnits.
struct TFormPair {
    QString Name, Value;
};
std::optional<std::vector<TFormPair>> ReadForm(const QByteArray &Body, int MaxFields, int MaxUnits);

// Text fit to be kept: no control characters, no surrogates or unassigned units, bounded.
bool PlainText(const QString &Text, int MaxUnits);

} // namespace trelvo::net

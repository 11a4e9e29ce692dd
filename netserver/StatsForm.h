#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// The statistics reports' forms as the clients post them, read back on the server.
namespace trelvo::net {

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

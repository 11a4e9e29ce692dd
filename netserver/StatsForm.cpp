#include "netserver/StatsForm.h"

#include <cstdint>

namespace trelvo::net {

namespace {

// One percent-decoded form part, each UTF-8 sequence one unit; nullopt beyond MaxUnits or on a broken
// sequence.
std::optional<QString> Units(const QByteArray &Encoded, int MaxUnits) {
    QByteArray plus = Encoded;
    plus.replace('+', ' ');
    const QByteArray bytes = QByteArray::fromPercentEncoding(plus);
    QString text;
    for (qsizetype i = 0; i < bytes.size();) {
        if (text.size() >= MaxUnits)
            return std::nullopt;
        const auto lead = static_cast<unsigned char>(bytes[i++]);
        int extra = lead >= 0xF8   ? -1
                    : lead >= 0xF0 ? 3
                    : lead >= 0xE0 ? 2
                    : lead >= 0xC0 ? 1
                    : lead >= 0x80 ? -1
                                   : 0;
        if (extra < 0)
            return std::nullopt;
        char32_t cp = extra == 3 ? lead & 0x07 : extra == 2 ? lead & 0x0F : extra == 1 ? lead & 0x1F : lead;
        for (; extra > 0; --extra, ++i) {
            if (i >= bytes.size() || (static_cast<unsigned char>(bytes[i]) & 0xC0) != 0x80)
                return std::nullopt;
            cp = (cp << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3F);
        }
        if (cp >= 0x110000)
            return std::nullopt;
        if (cp >= 0x10000) {
            text += QChar(QChar::highSurrogate(cp));
            text += QChar(QChar::lowSurrogate(cp));
        } else {
            text += QChar(static_cast<char16_t>(cp));
        }
    }
    return text;
}

} // namespace

std::optional<std::vector<TFormPair>> ReadForm(const QByteArray &Body, int MaxFields, int MaxUnits) {
    std::vector<TFormPair> form;
    if (Body.isEmpty())
        return form;
    for (const QByteArray &pair : Body.split('&')) {
        if (static_cast<int>(form.size()) >= MaxFields)
            return std::nullopt;
        const qsizetype eq = pair.indexOf('=');
        const auto name = Units(eq < 0 ? pair : pair.left(eq), MaxUnits);
        const auto value = Units(eq < 0 ? QByteArray() : pair.mid(eq + 1), MaxUnits);
        if (!name || !value)
            return std::nullopt;
        form.push_back({*name, *value});
    }
    return form;
}

bool PlainText(const QString &Text, int MaxUnits) {
    if (Text.size() > MaxUnits)
        return false;
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const QChar c = Text[i];
        // A name may hold characters beyond the first plane: a whole pair is one of them.
        if (c.isHighSurrogate() && i + 1 < Text.size() && Text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        switch (c.category()) {
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Other_Surrogate:
        case QChar::Other_PrivateUse:
        case QChar::Other_NotAssigned:
            return false;
        default:
            break;
        }
    }
    return true;
}

} // namespace trelvo::net

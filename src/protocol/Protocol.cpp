#include "protocol/Protocol.h"

#include <QLocale>

#include <array>
#include <limits>

namespace trelvo {

void GetField(QString &Field, const QString &Text, int &Pos) {
    Field.clear();
    if (Pos < 1)
        Pos = 1;
    const qsizetype p = Text.indexOf(QLatin1Char(';'), Pos - 1);
    if (p >= 0) {
        Field = Text.mid(Pos - 1, p - (Pos - 1));
        Pos = static_cast<int>(p) + 2;
    } else if (Pos <= Text.size()) {
        Field = Text.mid(Pos - 1);
        Pos = static_cast<int>(Text.size()) + 1;
    }
}

QStringView NextServerFieldView(const QString &Text, int &Pos) {
    const qsizetype from = Pos < 1 ? 0 : Pos - 1;
    const qsizetype found = from <= Text.size() ? Text.indexOf(QLatin1Char(';'), from) : -1;
    const int p = found >= 0 ? static_cast<int>(found) + 1 : 0;
    Pos = p + 1;
    if (p == 0)
        return {};
    return QStringView(Text).sliced(from, p - 1 - from);
}

void NextServerField(QString &Field, const QString &Text, int &Pos) {
    Field = NextServerFieldView(Text, Pos).toString();
}

bool TryStrToInt(QStringView Text, int &Value) {
    Value = 0;
    qsizetype i = 0;
    const qsizetype n = Text.size();
    // Leading blanks are allowed, as the platform's integer conversion allows them.
    while (i < n && Text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (Text[i] == QLatin1Char('-') || Text[i] == QLatin1Char('+'))) {
        negative = Text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == n)
        return false;
    // Accumulate as a negative number so that the minimum 32-bit value fits.
    int64_t acc = 0;
    for (; i < n; ++i) {
        const char16_t c = Text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        acc = acc * 10 + (c - u'0');
        if (acc > int64_t(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    if (negative)
        acc = -acc;
    if (acc > std::numeric_limits<int>::max() || acc < std::numeric_limits<int>::min())
        return false;
    Value = static_cast<int>(acc);
    return true;
}

int StrToInt(const QString &Text) {
    int value = 0;
    if (!TryStrToInt(Text, value))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(Text).toStdString());
    return value;
}

QString EscapeSemicolon(const QString &Text) {
    QString result = Text;
    return result.replace(QLatin1Char(';'), kSemicolonToken);
}

QString UnescapeSemicolon(const QString &Text) {
    QString result = Text;
    return result.replace(kSemicolonToken, QStringLiteral(";"), Qt::CaseInsensitive);
}

QString FloatToText(double value) {
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', QLocale::FloatingPointShortest);
}

double TextToFloat(const QString &Text) {
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(Text.trimmed(), &ok);
    if (!ok)
        throw EConvertError(
            QStringLiteral("'%1' is not a valid floating point value").arg(Text).toStdString());
    return value;
}

namespace {

// Windows-1251, bytes 0x80 to 0xFF. 0 marks the one byte the code page leaves undefined (0x98).
constexpr std::array<char16_t, 128> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    // 0xC0 to 0xFF: А to я
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C,
    0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429,
    0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436,
    0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443,
    0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F};

char EncodeChar(char16_t c) {
    if (c < 0x80)
        return static_cast<char>(c);
    if (c >= 0x0410 && c <= 0x044F)
        return static_cast<char>(0xC0 + (c - 0x0410));
    for (size_t i = 0; i < kCp1251High.size(); ++i)
        if (kCp1251High[i] == c && c != 0)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

QByteArray EncodeAnsi(const QString &Text) {
    QByteArray bytes;
    bytes.reserve(Text.size());
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const QChar c = Text[i];
        // A character outside the basic plane is one character to the user: one "?".
        if (c.isHighSurrogate() && i + 1 < Text.size() && Text[i + 1].isLowSurrogate())
            ++i;
        bytes.append(c.isSurrogate() ? '?' : EncodeChar(c.unicode()));
    }
    return bytes;
}

QString DecodeAnsi(const QByteArray &Bytes) {
    QString text;
    text.reserve(Bytes.size());
    for (const char b : Bytes) {
        const auto u = static_cast<unsigned char>(b);
        if (u < 0x80) {
            text.append(QChar(u));
        } else {
            const char16_t c = kCp1251High[u - 0x80];
            text.append(c ? QChar(c) : QChar(u'?'));
        }
    }
    return text;
}

QString BuildHostMessage(int code, const QString &payload) {
    return QString::number(code) + QLatin1Char(';') + payload;
}

QString BuildServerMessage(int subcode, const QString &payload) {
    return BuildHostMessage(HostOut::kServerMessage, QString::number(subcode) + QLatin1Char(';') + payload);
}

} // namespace trelvo

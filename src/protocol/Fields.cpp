#include "protocol/Fields.h"

#include "protocol/Protocol.h"

#include <cstdint>
#include <limits>

namespace trelvo::msg {

namespace {

// Decimal digits without a temporary string: these builders run for every message of every game.
void AppendInt(QString &Out, int Value) {
    char16_t buf[12];
    int n = 0;
    // Negate in 64 bits so that the minimum int survives.
    int64_t v = Value;
    const bool negative = v < 0;
    if (negative)
        v = -v;
    do {
        buf[n++] = static_cast<char16_t>(u'0' + v % 10);
        v /= 10;
    } while (v > 0);
    if (negative)
        Out.append(QLatin1Char('-'));
    while (n > 0)
        Out.append(QChar(buf[--n]));
}

// A plain decimal with an optional sign, as the protocol writes integers (no blanks, no "+").
bool ParseInt(QStringView Text, int &Value) {
    Value = 0;
    qsizetype i = 0;
    const bool negative = !Text.isEmpty() && Text[0] == QLatin1Char('-');
    if (negative)
        ++i;
    if (i == Text.size() || Text.size() - i > 10)
        return false;
    int64_t acc = 0;
    for (; i < Text.size(); ++i) {
        const char16_t c = Text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        acc = acc * 10 + (c - u'0');
    }
    if (negative)
        acc = -acc;
    if (acc > std::numeric_limits<int>::max() || acc < std::numeric_limits<int>::min())
        return false;
    Value = static_cast<int>(acc);
    return true;
}

} // namespace

TFieldWriter::TFieldWriter(int Subcode) {
    FText.reserve(64);
    AppendInt(FText, Subcode);
    FText.append(QLatin1Char(';'));
}

TFieldWriter &TFieldWriter::Int(int Value) {
    AppendInt(FText, Value);
    FText.append(QLatin1Char(';'));
    return *this;
}

TFieldWriter &TFieldWriter::Text(QStringView Value) {
    FText.append(Value);
    FText.append(QLatin1Char(';'));
    return *this;
}

TFieldWriter &TFieldWriter::Name(QStringView Value) {
    return Text(EscapeSemicolon(Value.toString()));
}

TFieldWriter &TFieldWriter::Bare(int Value) {
    AppendInt(FText, Value);
    return *this;
}

bool TFieldReader::NextField(QStringView &Field) {
    if (!FOk)
        return false;
    const qsizetype p = FText.indexOf(QLatin1Char(';'), FPos);
    if (p < 0) {
        FOk = false;
        return false;
    }
    Field = FText.mid(FPos, p - FPos);
    FPos = p + 1;
    return true;
}

int TFieldReader::Int() {
    QStringView field;
    int value = 0;
    if (NextField(field) && !ParseInt(field, value))
        FOk = false;
    return FOk ? value : 0;
}

bool TFieldReader::StrictFlag() {
    const int value = Int();
    if (value != 0 && value != 1)
        FOk = false;
    return FOk && value == 1;
}

QString TFieldReader::Text() {
    QStringView field;
    return NextField(field) ? field.toString() : QString();
}

QString TFieldReader::Name() {
    return UnescapeSemicolon(Text());
}

int TFieldReader::Bare() {
    int value = 0;
    if (!FOk || !ParseInt(FText.mid(FPos), value)) {
        FOk = false;
        return 0;
    }
    FPos = FText.size();
    return value;
}

int TFieldReader::Count(int MinFields) {
    const int count = Int();
    if (!FOk)
        return 0;
    if (count < 0 || (MinFields > 0 && count > FText.mid(FPos).count(QLatin1Char(';')) / MinFields)) {
        FOk = false;
        return 0;
    }
    return count;
}

bool SplitSubcode(QStringView Text, int &Subcode, QStringView &Payload) {
    const qsizetype p = Text.indexOf(QLatin1Char(';'));
    if (p < 0 || !ParseInt(Text.left(p), Subcode))
        return false;
    Payload = Text.mid(p + 1);
    return true;
}

} // namespace trelvo::msg

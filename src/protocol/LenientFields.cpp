#include "protocol/LenientFields.h"

#include "protocol/ProtocolLog.h"

#include <algorithm>

namespace trelvo::msg {

TLenientReader::TLenientReader(const QString &Payload, std::function<void()> OnBadField)
    : FText(Payload), FOnBadField(std::move(OnBadField)) {}

void TLenientReader::Bad() {
    // One answer a message: a hostile table list of a million bad fields would otherwise keep the pipe
    // busy with a million answers for minutes.
    if (++FBadFields == 1 && FOnBadField)
        FOnBadField();
}

int TLenientReader::ToInt(QStringView Field) {
    int value = 0;
    if (!TryStrToInt(Field, value)) {
        Bad();
        return 0;
    }
    return value;
}

int TLenientReader::Int() {
    return ToInt(NextServerFieldView(FText, FPos));
}

QString TLenientReader::Text() {
    const QStringView field = NextServerFieldView(FText, FPos);
    // No name, id or challenge comes near this; a longer field is junk that would only be copied on.
    if (field.size() > kMaxTextField) {
        qCDebug(lcProtocol, "a text field of %lld characters is out of range; read as empty",
                static_cast<long long>(field.size()));
        return {};
    }
    return field.toString();
}

bool TLenientReader::Float(float &Value) {
    const QString field = Text();
    try {
        Value = static_cast<float>(TextToFloat(field));
        return true;
    } catch (const EConvertError &) {
        Bad();
        Value = 0.0f;
        return false;
    }
}

int TLenientReader::Bounded(int Count, int FieldsPerEntry) const {
    return static_cast<int>(
        std::min<qsizetype>(Count, FText.count(QLatin1Char(';')) / std::max(FieldsPerEntry, 1)));
}

} // namespace trelvo::msg

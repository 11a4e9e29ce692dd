#pragma once

#include "protocol/Protocol.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>

// The client's own reading of game-server payloads, the lenient counterpart of TFieldReader: the game
// server's text never stops a handler, never raises and never reaches the user as an error box.
namespace trelvo::msg {

// The longest text field taken from the game server; a longer one is read as empty.
inline constexpr qsizetype kMaxTextField = 64 * 1024;

// Reads the fields of one game-server payload in order. A field without its ";" reads as empty and the
// reading starts again at the first field; a number that does not convert reads as 0 and the handler
// goes on. The first such field of the payload is reported at once through OnBadField (the host hears
// of it as message 23); the ones after it are only counted, so a message is answered once however
// many of its fields are bad.
class TLenientReader {
public:
    // The reader keeps a reference to Payload, which must outlive it.
    TLenientReader(const QString &Payload, std::function<void()> OnBadField);
    TLenientReader(QString &&, std::function<void()>) = delete;

    int Int();
    // Card ids, suits, counts: only the low 8 bits count.
    uint8_t Byte() { return LowByte(Int()); }
    // A server player id, compared as a signed byte: 255 (-1) and every id from 128 on is nobody.
    int Id() { return SignedByte(Int()); }
    bool Flag() { return trelvo::Flag(Int()); }
    // A text field; one longer than kMaxTextField reads as empty.
    QString Text();
    // A player name: the escape token inside it stands for ";".
    QString Name() { return UnescapeSemicolon(Text()); }
    // A float in the system locale's format. False, and reported like a bad number, when it does not
    // convert: no value is made up for it.
    bool Float(float &Value);
    // A field read as text earlier, converted now (a field whose meaning depends on one read later).
    int ToInt(QStringView Field);
    // The whole payload as one integer (the few payloads that are one bare number).
    int Whole() { return ToInt(FText); }
    // A count read from the payload, cut to the entries of FieldsPerEntry fields the payload can hold:
    // a count beyond it could only describe entries read again from its start (the reader wraps
    // around), and a hostile count must not make the client allocate or loop without bound.
    int Bounded(int Count, int FieldsPerEntry = 1) const;

    // Fields of this payload that did not convert.
    int BadFields() const { return FBadFields; }

private:
    void Bad();

    const QString &FText;
    std::function<void()> FOnBadField;
    int FPos = 1;
    int FBadFields = 0;
};

} // namespace trelvo::msg

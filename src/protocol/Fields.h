#pragma once

#include <QString>
#include <QStringView>

#include <utility>

// Writing and strict reading of game-server fields: every field ends with ";", integers are plain
// decimals, names travel with ";" escaped. The message builders and readers of both directions use
// these two, so a message is spelled in one place only.
namespace trelvo::msg {

// Builds "subcode;field;field;..." (the text that travels after the host's "7;").
class TFieldWriter {
public:
    explicit TFieldWriter(int Subcode);
    TFieldWriter &Int(int Value);
    TFieldWriter &Flag(bool Value) { return Int(Value ? 1 : 0); }
    TFieldWriter &Text(QStringView Value);
    // A player name: ";" inside it travels as the escape token.
    TFieldWriter &Name(QStringView Value);
    // A last field without its ";" (the few payloads that are one bare integer).
    TFieldWriter &Bare(int Value);
    QString Take() { return std::move(FText); }

private:
    QString FText;
};

// Reads the fields of one payload strictly: a field without its ";", an integer that does not
// convert, or text left over makes the whole message malformed (Ok() false). Reads after a failure
// return empty values and keep it failed.
class TFieldReader {
public:
    explicit TFieldReader(QStringView Payload) : FText(Payload) {}
    int Int();
    bool Flag() { return Int() != 0; }
    // A flag that must be written "0" or "1".
    bool StrictFlag();
    QString Text();
    QString Name();
    // The whole rest of the payload as one integer without a terminating ";".
    int Bare();
    // A count of entries that follow, each at least MinFields fields long: negative counts and
    // counts the rest of the payload cannot hold are malformed (no loop runs on a hostile count).
    int Count(int MinFields);
    bool AtEnd() const { return FPos >= FText.size(); }
    bool Ok() const { return FOk; }
    // Ok, and nothing left over.
    bool Finish() const { return FOk && AtEnd(); }
    void Fail() { FOk = false; }

private:
    bool NextField(QStringView &Field);

    QStringView FText;
    qsizetype FPos = 0;
    bool FOk = true;
};

// Splits "subcode;payload"; false when the subcode is not an integer followed by ";".
bool SplitSubcode(QStringView Text, int &Subcode, QStringView &Payload);

} // namespace trelvo::msg

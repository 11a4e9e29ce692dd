#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// One reader of command lines for trelvo-host and trelvo-server: each program lists its options once, as
// rows, and the same rows give its --help (and its manual's option list).
namespace trelvo {

// What a row does with its value: nothing when it takes it, else what is wrong ("expected 1 to 3").
using TOptionRead = std::function<QString(const QString &Value)>;

struct TOptionRow {
    QString Name;      // without "--"
    QString ValueName; // empty for a switch
    QString Help;
    TOptionRead Read; // called once when the option is given (a switch's value is empty)
};

// Reads Arguments (without the program name) by Rows, in the rows' order, plus -h/--help. False with
// Error on an unknown option, a stray argument or a refused value ("--bots: expected 1, 2 or 3");
// --help sets Help and returns true with the usage text in Error. Given gets the names of the options
// given, for the checks of one option against another.
bool ReadOptions(const QString &Program, const QString &Description, const std::vector<TOptionRow> &Rows,
                 const QStringList &Arguments, QString &Error, bool &Help, QStringList *Given = nullptr);

// The common rows' readers: a whole number from Min to Max (or Value is kept), refused with Expected;
// a text taken as it is.
TOptionRead IntInto(int &Value, int Min, int Max, QString Expected);
TOptionRead TextInto(QString &Value);

} // namespace trelvo

#include "common/OptionReader.h"

#include "common/BoundedInt.h"

#include <QCommandLineParser>

namespace trelvo {

bool ReadOptions(const QString &Program, const QString &Description, const std::vector<TOptionRow> &Rows,
                 const QStringList &Arguments, QString &Error, bool &Help, QStringList *Given) {
    Help = false;
    QCommandLineParser parser;
    parser.setApplicationDescription(Description);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    parser.addOption(help);
    std::vector<QCommandLineOption> options;
    options.reserve(Rows.size());
    for (const TOptionRow &row : Rows) {
        options.emplace_back(row.Name, row.Help, row.ValueName);
        parser.addOption(options.back());
    }
    if (!parser.parse(QStringList{Program} + Arguments)) {
        Error = parser.errorText();
        return false;
    }
    if (parser.isSet(help)) {
        Help = true;
        // Read before the application exists, the parser knows no program name of its own.
        Error = parser.helpText().replace(QStringLiteral("<executable_name>"), Program);
        return true;
    }
    if (!parser.positionalArguments().isEmpty()) {
        Error = QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first());
        return false;
    }
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        if (!parser.isSet(options[i]))
            continue;
        if (Given)
            *Given << Rows[i].Name;
        const QString wrong = Rows[i].Read ? Rows[i].Read(parser.value(options[i])) : QString();
        if (!wrong.isEmpty()) {
            Error = QStringLiteral("--%1: %2").arg(Rows[i].Name, wrong);
            return false;
        }
    }
    return true;
}

TOptionRead IntInto(int &Value, int Min, int Max, QString Expected) {
    return [&Value, Min, Max, Expected = std::move(Expected)](const QString &Text) {
        return ReadInt(Text, Min, Max, Value) ? QString() : Expected;
    };
}

TOptionRead TextInto(QString &Value) {
    return [&Value](const QString &Text) {
        Value = Text;
        return QString();
    };
}

} // namespace trelvo

#include "protocol/Session.h"

#include "protocol/Protocol.h"

#include <QStringList>

namespace trelvo::net {

namespace {

const QString kHello = QStringLiteral("hello");
const QString kWelcome = QStringLiteral("welcome");
const QString kRefused = QStringLiteral("refused");

struct TReasonWord {
    TRefusal Reason;
    const char *Word;
};
constexpr TReasonWord kWords[] = {{TRefusal::Version, "version"},
                                  {TRefusal::NameTaken, "name-taken"},
                                  {TRefusal::Full, "full"},
                                  {TRefusal::BadName, "bad-name"},
                                  {TRefusal::Malformed, "malformed"}};

// The fields of a frame whose every field ends with ";"; nullopt when the last one does not.
std::optional<QStringList> Fields(const QString &Frame, int Count) {
    if (!Frame.endsWith(u';'))
        return std::nullopt;
    QStringList fields = Frame.left(Frame.size() - 1).split(u';');
    if (fields.size() != Count)
        return std::nullopt;
    return fields;
}

bool ReadNumber(const QString &Text, int &Value) {
    bool ok = false;
    Value = Text.toInt(&ok);
    return ok && !Text.startsWith(u'+') && !Text.startsWith(u' ');
}

} // namespace

QString BuildHello(const THello &Hello) {
    QString name = Hello.Name;
    name.replace(u';', kSemicolonToken);
    return QStringLiteral("%1;%2;%3;").arg(kHello).arg(Hello.Version).arg(name);
}

std::optional<THello> ParseHello(const QString &Frame) {
    const auto fields = Fields(Frame, 3);
    THello hello;
    if (!fields || (*fields)[0] != kHello || !ReadNumber((*fields)[1], hello.Version))
        return std::nullopt;
    hello.Name = (*fields)[2];
    hello.Name.replace(kSemicolonToken, QStringLiteral(";"));
    return hello;
}

QString BuildAnswer(const TSessionAnswer &Answer) {
    if (Answer.Accepted)
        return QStringLiteral("%1;%2;").arg(kWelcome).arg(Answer.Conn);
    return QStringLiteral("%1;%2;").arg(kRefused, RefusalWord(Answer.Reason));
}

std::optional<TSessionAnswer> ParseAnswer(const QString &Frame) {
    const auto fields = Fields(Frame, 2);
    if (!fields)
        return std::nullopt;
    TSessionAnswer answer;
    if ((*fields)[0] == kWelcome) {
        answer.Accepted = true;
        if (!ReadNumber((*fields)[1], answer.Conn))
            return std::nullopt;
        return answer;
    }
    if ((*fields)[0] != kRefused)
        return std::nullopt;
    for (const TReasonWord &w : kWords)
        if ((*fields)[1] == QLatin1String(w.Word)) {
            answer.Reason = w.Reason;
            return answer;
        }
    return std::nullopt;
}

QString BuildTopAnswer(const TTopAnswer &Answer) {
    QString text = QStringLiteral("top;%1;").arg(Answer.Rows.size());
    const auto numbers = [](const TTopRow &Row) {
        return QStringLiteral("%1;%2;%3;").arg(Row.Rating).arg(Row.Games).arg(Row.Losses);
    };
    for (const TTopRow &row : Answer.Rows) {
        QString name = row.Name;
        name.replace(u';', kSemicolonToken);
        text += name + u';' + numbers(row);
    }
    return text + numbers(Answer.Own);
}

std::optional<TTopAnswer> ParseTopAnswer(const QString &Frame) {
    if (!Frame.startsWith(QStringLiteral("top;")) || !Frame.endsWith(u';'))
        return std::nullopt;
    const QStringList fields = Frame.mid(4, Frame.size() - 5).split(u';');
    int count = 0;
    if (fields.isEmpty() || !ReadNumber(fields[0], count) || count < 0 || count > kTopRows ||
        fields.size() != 1 + 4 * count + 3)
        return std::nullopt;
    TTopAnswer answer;
    const auto read = [&](int At, TTopRow &Row) {
        return ReadNumber(fields[At], Row.Rating) && ReadNumber(fields[At + 1], Row.Games) &&
               ReadNumber(fields[At + 2], Row.Losses);
    };
    for (int i = 0; i < count; ++i) {
        TTopRow row;
        row.Name = fields[1 + 4 * i];
        row.Name.replace(kSemicolonToken, QStringLiteral(";"));
        if (!read(2 + 4 * i, row))
            return std::nullopt;
        answer.Rows.push_back(row);
    }
    if (!read(1 + 4 * count, answer.Own))
        return std::nullopt;
    return answer;
}

QString RefusalWord(TRefusal Reason) {
    for (const TReasonWord &w : kWords)
        if (w.Reason == Reason)
            return QLatin1String(w.Word);
    return QStringLiteral("malformed");
}

QString RefusalText(TRefusal Reason) {
    switch (Reason) {
    case TRefusal::Version:
        return QStringLiteral("Сервер говорит на другой версии протокола: обновите Trelvo.");
    case TRefusal::NameTaken:
        return QStringLiteral("Это имя уже занято на сервере: запустите с другим именем (--name).");
    case TRefusal::Full:
        return QStringLiteral("Сервер заполнен: попробуйте позже.");
    case TRefusal::BadName:
        return QStringLiteral("Сервер не принял имя: от 1 до %1 знаков, без «;» и служебных символов "
                              "(--name).")
            .arg(kMaxNameLength);
    case TRefusal::Malformed:
        break;
    }
    return QStringLiteral("Сервер не понял приветствие: обновите Trelvo.");
}

bool ValidName(const QString &Name) {
    if (Name.isEmpty() || Name.size() > kMaxNameLength || Name.trimmed().isEmpty() || Name.contains(u';'))
        return false;
    for (QChar c : Name) {
        const auto category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_Format ||
            category == QChar::Separator_Line || category == QChar::Separator_Paragraph)
            return false;
    }
    return true;
}

} // namespace trelvo::net

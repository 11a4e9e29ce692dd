#include "ErrorReporter.h"

#include "AppLog.h"

#include <QMessageBox>

namespace trelvo {

QString ErrorBoxText(const Exception &Error) {
    return QString::fromUtf8(Error.ClassName()) + QStringLiteral(" ошибка с сообщением: ") +
           QString::fromStdString(Error.Message());
}

void TMessageBoxReporter::ShowError(const QString &Text) {
    // The box waits for the user; the trail says what stopped the client.
    qCWarning(lcApp).noquote() << "error box:" << Text;
    QMessageBox box(QMessageBox::NoIcon, QString(), Text, QMessageBox::Ok);
    box.exec();
}

} // namespace trelvo

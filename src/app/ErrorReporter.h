#pragma once

#include "common/Exceptions.h"

#include <QString>

namespace trelvo {

// Where the dispatcher's guard shows an error. The program shows a modal box; tests read the text.
class IErrorReporter {
public:
    virtual ~IErrorReporter() = default;
    virtual void ShowError(const QString &Text) = 0;
};

// The guard's text: the error's class name, " ошибка с сообщением: " and its message.
QString ErrorBoxText(const Exception &Error);

// A modal message box with a single OK button.
class TMessageBoxReporter : public IErrorReporter {
public:
    void ShowError(const QString &Text) override;
};

} // namespace trelvo

#pragma once

#include <QLoggingCategory>

// Each library has one logging category ("trelvo.<library>"); nothing is printed in normal operation.
// An error that is swallowed on purpose leaves a line at warning level through LogSwallowed.
namespace trelvo {

Q_DECLARE_LOGGING_CATEGORY(lcCommon)

// Call inside a catch block: logs the exception being handled (its class and message where it has
// them) with what was being done.
void LogSwallowed(const QLoggingCategory &Category, const char *Doing) noexcept;

} // namespace trelvo

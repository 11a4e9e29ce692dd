#include "common/Log.h"

#include "common/Exceptions.h"

#include <exception>

namespace trelvo {

Q_LOGGING_CATEGORY(lcCommon, "trelvo.common", QtWarningMsg)

void LogSwallowed(const QLoggingCategory &Category, const char *Doing) noexcept {
    if (!Category.isWarningEnabled())
        return;
    try {
        throw;
    } catch (const Exception &Error) {
        qCWarning(Category, "%s: %s: %s", Doing, Error.ClassName(), Error.what());
    } catch (const std::exception &Error) {
        qCWarning(Category, "%s: %s", Doing, Error.what());
    } catch (...) {
        qCWarning(Category, "%s: an unknown error", Doing);
    }
}

} // namespace trelvo

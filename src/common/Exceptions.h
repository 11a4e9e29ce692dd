#pragma once

#include <stdexcept>
#include <string>

namespace trelvo {

// The program's error family: every error the dispatcher's guard may show. The box reads
// ClassName(), " ошибка с сообщением: " and Message().
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string &message) : std::runtime_error(message) {}
    virtual const char *ClassName() const { return "Exception"; }
    std::string Message() const { return what(); }
};

#define TRELVO_EXCEPTION(Name, Base)                                                                         \
    class Name : public Base {                                                                               \
    public:                                                                                                  \
        using Base::Base;                                                                                    \
        const char *ClassName() const override { return #Name; }                                             \
    }

TRELVO_EXCEPTION(EConvertError, Exception);
TRELVO_EXCEPTION(EPipeException, Exception);
TRELVO_EXCEPTION(EAssetNotFound, Exception);

} // namespace trelvo

#pragma once

#include <string>

namespace trelvo {

// The machine-wide guard that lets one client run at a time: an abstract unix socket bound to the
// guard's name and held open until the process ends. A name that is taken means "already exists".
class TSingleInstance {
public:
    explicit TSingleInstance(const std::string &name);
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance &) = delete;
    TSingleInstance &operator=(const TSingleInstance &) = delete;

    bool AlreadyExists() const { return FAlreadyExists; }

private:
    int FSocket = -1;
    bool FAlreadyExists = false;
};

inline constexpr const char *kInstanceGuardName = "{E28E6C27-8B81-40D5-A219-181BA16DA9E9}";

} // namespace trelvo

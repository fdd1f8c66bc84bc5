// An environment variable set for one test and put back afterwards (POSIX), with an optional
// call after each change for libraries that cache the variable (tzset for TZ).
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value, void (*changed)() = nullptr) : name_(name), changed_(changed) {
        if (const char* old = getenv(name)) old_ = std::string(old);
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
        if (changed_) changed_();
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
        if (changed_) changed_();
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    void (*changed_)();
    std::optional<std::string> old_;
};

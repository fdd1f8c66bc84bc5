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
        Set(value);
    }
    ~ScopedEnv() { Set(old_ ? old_->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const char* value) {
        value ? setenv(name_, value, 1) : unsetenv(name_);
        if (changed_) changed_();
    }
    const char* name_;
    void (*changed_)();
    std::optional<std::string> old_;
};

#include "disk/system_error.h"

#include <atomic>

namespace {
std::atomic<uint32_t> lastSystemError{0};
}

uint32_t LastSystemError() { return lastSystemError.load(); }

void SetLastSystemError(uint32_t code) { lastSystemError.store(code); }

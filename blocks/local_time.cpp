// The fixed-time override of the local clock, and the FAT encodings of a local time.
#include "blocks/local_time.h"

#include <mutex>

namespace {
std::mutex fixedLock;
bool hasFixed = false;
LocalTime fixedTime;
}  // namespace

LocalTime CurrentLocalTime() {
    {
        std::lock_guard<std::mutex> hold(fixedLock);
        if (hasFixed) return fixedTime;
    }
    return SystemLocalTime();
}

void FixLocalTime(const LocalTime& time) {
    std::lock_guard<std::mutex> hold(fixedLock);
    fixedTime = time;
    hasFixed = true;
}

void ClearFixedLocalTime() {
    std::lock_guard<std::mutex> hold(fixedLock);
    hasFixed = false;
}

uint16_t DosDateOf(const LocalTime& time) {
    return static_cast<uint16_t>(((time.year - 1980) << 9) | (time.month << 5) | time.day);
}

uint16_t DosTimeOf(const LocalTime& time) {
    return static_cast<uint16_t>((time.hour << 11) | (time.minute << 5) | (time.second / 2));
}

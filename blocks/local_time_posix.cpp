// The local clock on POSIX systems.
#include <sys/time.h>

#include <ctime>

#include "blocks/local_time.h"

LocalTime SystemLocalTime() {
    struct timeval now;
    gettimeofday(&now, nullptr);
    time_t seconds = now.tv_sec;
    struct tm parts;
    localtime_r(&seconds, &parts);
    LocalTime t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec > 59 ? 59 : parts.tm_sec;  // a leap second has no DOS time
    t.milliseconds = static_cast<int>(now.tv_usec / 1000);
    return t;
}

// The local date and time that block operations stamp into headers, boot sectors and label
// entries. One seam over the system clock, so that tests can fix the time they see.
#pragma once

#include <cstdint>

struct LocalTime {
    int year = 1980;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;  // 0..999
};

// The current local time, or the fixed time while one is set.
LocalTime CurrentLocalTime();

// Fixes the time CurrentLocalTime returns until ClearFixedLocalTime (tests).
void FixLocalTime(const LocalTime& time);
void ClearFixedLocalTime();

// The system clock itself (local_time_posix.cpp / local_time_win32.cpp).
LocalTime SystemLocalTime();

// FAT encodings of a local time.
uint16_t DosDateOf(const LocalTime& time);
uint16_t DosTimeOf(const LocalTime& time);

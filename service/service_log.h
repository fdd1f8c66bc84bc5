// The disk service's two outputs for people: debug texts (OutputDebugString) and information
// entries in the event log under the source "ZRVKVN service".
#pragma once

// printf-style.
void DebugText(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

void EventLogEntry(const char* text);

// Lets a test see the debug texts of a worker it runs in its own process; null for none.
using DebugTextSink = void (*)(const char* text);
void UseDebugTextSink(DebugTextSink sink);

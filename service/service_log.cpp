// Debug texts and event-log entries of the disk service.
#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "service/service_log.h"

namespace {
DebugTextSink debugTextSink = nullptr;
}

void DebugText(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    OutputDebugStringA(text);
    if (debugTextSink) debugTextSink(text);
}

void EventLogEntry(const char* text) {
    HANDLE source = RegisterEventSourceW(nullptr, L"ZRVKVN service");
    if (!source) return;
    const char* strings[1] = {text};
    ReportEventA(source, EVENTLOG_INFORMATION_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(source);
}

void UseDebugTextSink(DebugTextSink sink) {
    debugTextSink = sink;
}

// The console on Windows: wide console output where there is a console, UTF-8 to pipes and
// files, the console control handler for Ctrl+C, and the wide command line.
#include "cli/terminal.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <iostream>

#include "disk/wide_path.h"

namespace {
std::atomic<std::atomic<int32_t>*> interruptTarget{nullptr};
std::atomic<int> interruptCount{0};

BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    // The first one asks for a cancel; a second one ends the program as usual.
    if (interruptCount.fetch_add(1) > 0) return FALSE;
    std::atomic<int32_t>* target = interruptTarget.load();
    if (target) target->store(1);
    return TRUE;
}

bool IsConsole(DWORD which) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

void WriteAll(DWORD which, FILE* stream, const std::wstring& text) {
    std::fflush(stream);
    HANDLE handle = GetStdHandle(which);
    if (IsConsole(which)) {
        DWORD written = 0;
        WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    // The stream is in text mode: its line feeds become CR LF on the way out.
    std::string bytes = Utf8FromWide(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}
}  // namespace

bool StdinIsTerminal() {
    return IsConsole(STD_INPUT_HANDLE);
}

bool StdoutIsTerminal() {
    return IsConsole(STD_OUTPUT_HANDLE);
}

int TerminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
    return 80;
}

void WriteOut(const std::wstring& text) {
    WriteAll(STD_OUTPUT_HANDLE, stdout, text);
}

void WriteErr(const std::wstring& text) {
    WriteAll(STD_ERROR_HANDLE, stderr, text);
}

bool ReadAnswerLine(std::string* line) {
    if (Interrupted() || !std::getline(std::cin, *line) || Interrupted()) return false;
    if (!line->empty() && line->back() == '\r') line->pop_back();
    return true;
}

void CatchInterrupts() {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void SetInterruptTarget(std::atomic<int32_t>* flag) {
    interruptTarget.store(flag);
}

bool Interrupted() {
    return interruptCount.load() != 0;
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}

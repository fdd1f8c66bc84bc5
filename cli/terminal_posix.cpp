// The console on Linux: isatty, TIOCGWINSZ, SIGINT, and UTF-8 everywhere.
#include "cli/terminal.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "disk/wide_path.h"

namespace {
std::atomic<int32_t>* interruptFlag = nullptr;

void OnInterrupt(int) {
    if (interruptFlag) interruptFlag->store(1);
}

void WriteAll(FILE* stream, const std::wstring& text) {
    std::string bytes = Utf8FromWide(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}
}  // namespace

bool StdinIsTerminal() {
    return isatty(STDIN_FILENO) == 1;
}

bool StdoutIsTerminal() {
    return isatty(STDOUT_FILENO) == 1;
}

int TerminalColumns() {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

void WriteOut(const std::wstring& text) {
    WriteAll(stdout, text);
}

void WriteErr(const std::wstring& text) {
    WriteAll(stderr, text);
}

bool ReadAnswerLine(std::string* line) {
    if (!std::getline(std::cin, *line)) return false;
    if (!line->empty() && line->back() == '\r') line->pop_back();
    return true;
}

void InstallInterruptHandler(std::atomic<int32_t>* flag) {
    interruptFlag = flag;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // The first Ctrl+C asks for a cancel; the handler then falls back to the default, so a
    // second one ends the program.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

void RemoveInterruptHandler() {
    signal(SIGINT, SIG_DFL);
    interruptFlag = nullptr;
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

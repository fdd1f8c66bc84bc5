// The console on Linux: isatty, TIOCGWINSZ, SIGINT, and UTF-8 everywhere.
#include "cli/terminal.h"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>

#include "disk/wide_path.h"

namespace {
std::atomic<std::atomic<int32_t>*> interruptTarget{nullptr};
std::atomic<int32_t> interrupted{0};

void OnInterrupt(int) {
    interrupted.store(1);
    std::atomic<int32_t>* target = interruptTarget.load();
    if (target) target->store(1);
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
    // Ctrl+C is let in only while waiting in ppoll, so that it cannot come between the check
    // and the wait and leave the question waiting for a line nobody types.
    sigset_t interrupt, before;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    sigprocmask(SIG_BLOCK, &interrupt, &before);
    pollfd input{STDIN_FILENO, POLLIN, 0};
    int ready = -1;
    while (!Interrupted() && (ready = ppoll(&input, 1, nullptr, &before)) < 0 && errno == EINTR) {
    }
    sigprocmask(SIG_SETMASK, &before, nullptr);
    if (Interrupted() || ready <= 0 || !std::getline(std::cin, *line)) return false;
    if (!line->empty() && line->back() == '\r') line->pop_back();
    return true;
}

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // The first Ctrl+C asks for a cancel; the handler then falls back to the default, so a
    // second one ends the program.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

void SetInterruptTarget(std::atomic<int32_t>* flag) {
    interruptTarget.store(flag);
}

bool Interrupted() {
    return interrupted.load() != 0;
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

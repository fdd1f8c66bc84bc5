// Spawning slotwise-cli with pipes or a pseudo-terminal.
#include "tests/cli/cli_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int kTimeoutSeconds = 60;

std::vector<char*> Argv(const std::vector<std::string>& args, std::vector<std::string>* storage) {
    storage->clear();
    storage->push_back(SLOTWISE_CLI_PATH);
    storage->insert(storage->end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : *storage)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    return argv;
}

void ChildEnvironment(const CliProcess& process) {
    if (chdir(process.workDir.c_str()) != 0) _exit(126);
    setenv("XDG_CONFIG_HOME", process.configDir.c_str(), 1);
    setenv("HOME", process.configDir.c_str(), 1);
}

// Reads everything from the descriptors until both close; false on timeout.
bool Drain(int outFd, int errFd, std::string* out, std::string* err, pid_t child) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kTimeoutSeconds);
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    int open = errFd >= 0 ? 2 : 1;
    char buffer[4096];
    while (open > 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            return false;
        }
        if (poll(fds, errFd >= 0 ? 2 : 1, 200) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                (i == 0 ? out : err)->append(buffer, static_cast<size_t>(n));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    return true;
}

int Wait(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
}  // namespace

CliRun CliProcess::Run(const std::vector<std::string>& args, const std::string& input) const {
    CliRun run;
    int outPipe[2], errPipe[2], inPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0 || pipe(inPipe) != 0) return run;
    std::vector<std::string> storage;
    std::vector<char*> argv = Argv(args, &storage);
    pid_t child = fork();
    if (child == 0) {
        ChildEnvironment(*this);
        if (input.empty()) {
            int null = open("/dev/null", O_RDONLY);
            dup2(null, 0);
        } else {
            dup2(inPipe[0], 0);
        }
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        close(outPipe[0]);
        close(errPipe[0]);
        close(inPipe[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    close(inPipe[0]);
    if (!input.empty()) {
        ssize_t written = write(inPipe[1], input.data(), input.size());
        (void)written;
    }
    close(inPipe[1]);
    Drain(outPipe[0], errPipe[0], &run.out, &run.err, child);
    close(outPipe[0]);
    close(errPipe[0]);
    run.exitCode = Wait(child);
    return run;
}

CliRun CliProcess::RunOnTerminal(const std::vector<std::string>& args,
                                 const std::string& waitFor,
                                 const std::string& typed) const {
    CliRun run;
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return run;
    std::string slaveName = ptsname(master);
    std::vector<std::string> storage;
    std::vector<char*> argv = Argv(args, &storage);
    pid_t child = fork();
    if (child == 0) {
        ChildEnvironment(*this);
        setsid();
        int slave = open(slaveName.c_str(), O_RDWR);
        dup2(slave, 0);
        dup2(slave, 1);
        dup2(slave, 2);
        close(master);
        execv(argv[0], argv.data());
        _exit(127);
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kTimeoutSeconds);
    bool sent = waitFor.empty();
    if (sent && !typed.empty()) {
        ssize_t written = write(master, typed.data(), typed.size());
        (void)written;
    }
    char buffer[4096];
    for (;;) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            break;
        }
        pollfd fd{master, POLLIN, 0};
        if (poll(&fd, 1, 200) <= 0) {
            int status = 0;
            if (waitpid(child, &status, WNOHANG) == child) {
                run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                child = -1;
                break;
            }
            continue;
        }
        ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0) break;  // the terminal closed with the last process on it
        run.out.append(buffer, static_cast<size_t>(n));
        if (!sent && run.out.find(waitFor) != std::string::npos) {
            sent = true;
            ssize_t written = write(master, typed.data(), typed.size());
            (void)written;
        }
    }
    close(master);
    if (child > 0) run.exitCode = Wait(child);
    return run;
}

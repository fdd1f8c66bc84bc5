// The FAT tools the oracle tests run, and the little parsing their answers need.
#include "tests/blocks/block_tools.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

bool BlockToolsPresent() {
    for (const char* tool : {"fsck.fat", "mkfs.fat", "mdir", "mcopy", "dd"}) {
        ToolRun run = RunShell(std::string("command -v ") + tool);
        if (run.exitCode != 0) return false;
    }
    return true;
}

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

ToolRun RunShell(const std::string& commandLine) {
    ToolRun run;
    std::string full =
        "PATH=\"$PATH:/usr/sbin:/sbin\" MTOOLS_SKIP_CHECK=1 TZ=UTC LC_ALL=C " + commandLine + " </dev/null 2>&1";
    FILE* pipe = popen(full.c_str(), "r");
    if (!pipe) return run;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        run.output.append(chunk, got);
    int status = pclose(pipe);
    if (status != -1 && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    return run;
}

bool CutSlot(const std::string& drive, uint32_t block, uint32_t sectors, const std::string& out) {
    std::ostringstream command;
    command << "dd if=" << Quote(drive) << " of=" << Quote(out) << " bs=512 skip=" << block * 3072ull
            << " count=" << sectors << " status=none";
    return RunShell(command.str()).exitCode == 0;
}

FsckVerdict Fsck(const std::string& volume) {
    ToolRun run = RunShell("fsck.fat -n " + Quote(volume));
    FsckVerdict verdict;
    verdict.output = run.output;
    if (run.exitCode != 0) return verdict;
    std::istringstream lines(run.output);
    std::string line;
    bool summary = false;
    while (std::getline(lines, line)) {
        if (line.rfind("fsck.fat ", 0) == 0) continue;  // the banner
        if (line.find(" files, ") != std::string::npos && line.find(" clusters") != std::string::npos) {
            summary = true;
            continue;
        }
        return verdict;  // any other line is a complaint
    }
    verdict.clean = summary;
    return verdict;
}

ToolRun MdirAt(const std::string& drive, uint32_t block) {
    std::ostringstream command;
    command << "mdir -a -i " << Quote(drive + "@@" + std::to_string(block * 3072ull * 512)) << " ::/";
    return RunShell(command.str());
}

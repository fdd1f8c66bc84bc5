// Starting Explorer.
#include "ui/explorer.h"

#include <windows.h>

#include <atomic>
#include <vector>

#include "blocks/pc_fs.h"

namespace {
constexpr DWORD kNormalPriority = 0x20;  // NORMAL_PRIORITY_CLASS
constexpr size_t kDirectoryCommandChars = 260;

std::atomic<ProcessStarter> processStarter{nullptr};

}  // namespace

bool StartCommandLine(const std::wstring& commandLine) {
    ProcessStarter starter = processStarter.load();
    return starter ? starter(commandLine) : StartProcess(commandLine);
}

std::wstring ExplorerCommandLine(const std::wstring& directory) {
    return L"explorer " + directory + L"\\.";
}

bool StartProcess(const std::wstring& commandLine) {
    // CreateProcessW may write into its command line.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, kNormalPriority, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

void SetProcessStarter(ProcessStarter starter) {
    processStarter.store(starter);
}

void StartExplorer(const std::wstring& directory) {
    StartCommandLine(ExplorerCommandLine(directory));
}

void OpenDirectoryInExplorer(PcFileSystem& pc, const std::wstring& directory) {
    pc.CreateDirectoryPath(directory);
    StartCommandLine(ExplorerCommandLine(directory).substr(0, kDirectoryCommandChars));
}

// The disk service tests' harness.
#include "service_harness.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>

#include "disk/environment.h"
#include "disk/service_client.h"
#include "service/request_worker.h"
#include "support/temp_dir.h"

namespace {

std::atomic<bool> serviceRunning{false};

bool InProcessServiceRunning() {
    return serviceRunning;
}

std::string UnixPathOf(const std::string& windowsPath) {
    using UnixFileName = char*(__cdecl*)(const wchar_t*);
    FARPROC proc = GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name");
    const std::wstring wide = std::filesystem::path(windowsPath).make_preferred().wstring();
    char* path = proc ? reinterpret_cast<UnixFileName>(reinterpret_cast<void (*)()>(proc))(wide.c_str()) : nullptr;
    const std::string result = path ? path : "";
    if (path) HeapFree(GetProcessHeap(), 0, path);
    return result;
}

// Wine starts Unix programs but gives no process handle to wait on: the script writes its exit
// status into a file, which is polled. True when the script ended with 0.
bool RunShell(const std::string& script, const std::string& statusFile) {
    std::remove(statusFile.c_str());
    const std::string command =
        "/bin/sh -c \"" + script + " >/dev/null 2>&1; echo $? >'" + UnixPathOf(statusFile) + "'\"";
    std::wstring line(command.begin(), command.end());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    std::string status;
    for (int i = 0; i < 1000 && (status.empty() || status.back() != '\n'); ++i, Sleep(10))
        status = ReadWholeFile(statusFile);
    return status == "0\n";
}

}  // namespace

std::string ScratchVolume::Image() const {
    return ReadWholeFile(imageFile);
}

const ScratchVolume& SharedVolume() {
    static TempDir dir;
    static ScratchVolume volume;
    if (!volume.marker.empty()) return volume;
    volume.marker = "SLOTWISE SCRATCH VOLUME " + std::to_string(GetCurrentProcessId());
    volume.imageFile = dir.File("volume.img");
    WriteWholeFile(volume.imageFile, volume.marker + std::string(ScratchVolume::kBytes - volume.marker.size(), '\0'));
    // Other test programs may hold letters at the same time: ln refuses a letter that is taken. A
    // link left dangling by a run that was cut short is taken back.
    const char* prefix = std::getenv("WINEPREFIX");
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll"), "wine_get_version") != nullptr;
    for (char letter = 'p'; wine && prefix && letter >= 'g' && volume.link.empty(); --letter) {
        const std::string link = std::string(prefix) + "/dosdevices/" + letter + "::";
        if (!RunShell("[ -e '" + link + "' ] || rm -f '" + link + "'; ln -s '" + UnixPathOf(volume.imageFile) + "' '" +
                          link + "'",
                      dir.File("status"))) {
            continue;
        }
        volume.link = link;
        volume.devicePath = std::wstring(L"\\\\.\\") + static_cast<wchar_t>(letter - 'a' + 'A') + L":";
        std::atexit([] { RunShell("rm -f '" + volume.link + "'", dir.File("status")); });
    }
    return volume;
}

InProcessService::InProcessService() {
    static std::atomic<int> counter{0};
    const std::wstring suffix = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
    names_ = {L"Global\\SlotwiseTestMapping-" + suffix, L"Global\\SlotwiseTestRequest-" + suffix,
              L"Global\\SlotwiseTestResponse-" + suffix, L"SlotwiseTestService-" + suffix};
    if (!CreateChannelObjects(names_, &objects_)) return;
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    serviceRunning = true;
    thread_ = CreateThread(nullptr, 0, Serve, this, 0, nullptr);
    UseServiceChannelNames(names_);
    UseServiceAliveCheck(InProcessServiceRunning);
}

InProcessService::~InProcessService() {
    if (thread_) {
        SetEvent(stop_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    serviceRunning = false;
    UseServiceChannelNames(DiskServiceNames());
    UseServiceAliveCheck(nullptr);
    CloseChannelObjects(&objects_);
    if (stop_) CloseHandle(stop_);
}

DWORD WINAPI InProcessService::Serve(void* p) {
    auto* self = static_cast<InProcessService*>(p);
    RequestWorker worker(self->objects_.block);  // closes what clients leave open when it ends
    HANDLE waits[2] = {self->stop_, self->objects_.request};
    while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        worker.Execute();
        ++self->served_;
        SetEvent(self->objects_.response);
    }
    return 0;
}

std::string InProcessService::Send(uint32_t command, Fields fields, const std::wstring& path) {
    uint8_t* block = objects_.block;
    std::memset(block, 0, kSvcCreateTemplate + 4);
    std::memset(block + kSvcIoCount, 0, 0x30);
    std::memset(block + kSvcCreatePath, 'A', kSvcCreatePathChars * 2);
    if (!path.empty()) std::memcpy(block + kSvcCreatePath, path.c_str(), (path.size() + 1) * 2);
    fields.insert(fields.begin(), {{kSvcCommand, command}, {kSvcResult, 0x5A5A5A5A}, {kSvcLastError, 0x5A5A5A5A}});
    for (const auto& [offset, value] : fields)
        StoreBlock32(block, offset, value);
    SetEvent(objects_.request);
    if (WaitForSingleObject(objects_.response, 10000) != WAIT_OBJECT_0) return "no answer";
    if (LoadBlock32(block, kSvcResult) == 0x5A5A5A5A) return "unanswered";
    return std::to_string(static_cast<int32_t>(LoadBlock32(block, kSvcResult))) + " error " +
           std::to_string(LoadBlock32(block, kSvcLastError));
}

DiskRoute::DiskRoute(int32_t useDiskService) : saved_(environmentInfo.useDiskService) {
    environmentInfo.useDiskService = useDiskService;
}

DiskRoute::~DiskRoute() {
    environmentInfo.useDiskService = 1;
    DisconnectDiskService(GetCurrentProcess());
    environmentInfo.useDiskService = saved_;
}

std::string Said(uintptr_t result, const DWORD& count) {
    const std::string said = std::to_string(static_cast<int32_t>(result)) + " error " + std::to_string(GetLastError()) +
                             " count " + std::to_string(count);
    SetLastError(0);
    return said;
}

void MustFinishWithin(DWORD ms, const char* what, const std::function<void()>& work) {
    std::future<void> done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::milliseconds(ms)) == std::future_status::ready) return;
    std::fprintf(stderr, "%s did not finish within %lu ms; giving up\n", what, static_cast<unsigned long>(ms));
    TerminateProcess(GetCurrentProcess(), 3);
}

std::string RunProgram(const std::wstring& commandLine) {
    FILE* pipe = _wpopen((commandLine + L" <NUL 2>&1").c_str(), L"rb");
    std::string output;
    char buffer[4096];
    for (size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    return pipe ? output + "exit " + std::to_string(_pclose(pipe)) : "did not start";
}

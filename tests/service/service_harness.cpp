// The disk service tests' harness.
#include "service_harness.h"

#include <cstdio>
#include <cstring>
#include <future>

#include "../discovery/fake_sticks.h"
#include "disk/environment.h"
#include "disk/service_client.h"
#include "service/request_worker.h"
#include "service/service_log.h"

namespace {

std::atomic<bool> serviceRunning{false};

bool InProcessServiceRunning() {
    return serviceRunning;
}

}  // namespace

std::atomic<int> InProcessService::served_{0};

void AddServiceMachine(FakeSticks& sticks) {
    const struct {
        const wchar_t* name;
        uint32_t disk, bus;
        unsigned type;
    } drives[] = {{L"E:", 1, 7, DRIVE_REMOVABLE}, {L"G:", 5, 7, DRIVE_REMOVABLE}, {L"C:", 2, 7, DRIVE_REMOVABLE},
                  {L"Z:", 3, 7, DRIVE_REMOVABLE}, {L"D:", 0, 11, DRIVE_FIXED},    {L"F:", 4, 7, DRIVE_FIXED}};
    for (const auto& d : drives) {
        FakeStick stick;
        stick.driveName = d.name;
        stick.deviceNumber = d.disk;
        stick.busType = d.bus;
        stick.driveType = d.type;
        sticks.Add(stick);
    }
}

InProcessService::InProcessService(const RawCallTable& calls) : calls_(calls) {
    static std::atomic<int> counter{0};
    suffix_ = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
    if (!CreateChannelObjects(TestChannelNames(suffix_), &objects_)) return;
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    serviceRunning = true;
    served_ = 0;
    // The worker writes a debug text for each request it takes.
    UseDebugTextSink([](const char* text) { served_ += std::strncmp(text, "pSvcFDDComm", 11) == 0; });
    thread_ = CreateThread(nullptr, 0, Serve, this, 0, nullptr);
    UseServiceChannelNames(TestChannelNames(suffix_));
    UseServiceAliveCheck(InProcessServiceRunning);
}

void InProcessService::StopAnswering() {
    if (!thread_) return;
    SetEvent(stop_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
}

InProcessService::~InProcessService() {
    StopAnswering();
    serviceRunning = false;
    UseDebugTextSink(nullptr);
    UseServiceChannelNames(DiskServiceNames());
    UseServiceAliveCheck(nullptr);
    CloseChannelObjects(&objects_);
    if (stop_) CloseHandle(stop_);
}

DWORD WINAPI InProcessService::Serve(void* p) {
    auto* self = static_cast<InProcessService*>(p);
    ServeRequests(self->objects_, self->stop_, self->calls_);  // closes what clients leave open when it ends
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

std::wstring WindowsPath(const std::string& builtPath) {
    std::wstring path = (builtPath[0] == '/' ? L"Z:" : L"") + std::wstring(builtPath.begin(), builtPath.end());
    for (wchar_t& c : path)
        c = c == L'/' ? L'\\' : c;
    return path;
}

std::string RunProgram(const std::wstring& commandLine) {
    // Started directly, not through a command interpreter, which refuses paths of MAX_PATH or more.
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherited, 0)) return "did not start";
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    HANDLE none =
        CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = none;
    startup.hStdOutput = startup.hStdError = write;
    PROCESS_INFORMATION process = {};
    std::wstring line = commandLine;
    const BOOL started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                                        &startup, &process);
    CloseHandle(write);
    CloseHandle(none);
    std::string output;
    char buffer[4096];
    for (DWORD n = 0; ReadFile(read, buffer, sizeof buffer, &n, nullptr) && n > 0;)
        output.append(buffer, n);
    CloseHandle(read);
    if (!started) return "did not start";
    DWORD code = 0;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return output + "exit " + std::to_string(code);
}

// A disk service on a thread of the test process.
#include "in_process_service.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "disk/service_client.h"
#include "service/request_worker.h"
#include "service/service_log.h"

namespace {

std::atomic<bool> serviceRunning{false};
std::mutex textsMutex;
std::vector<std::string> texts;

bool InProcessServiceRunning() {
    return serviceRunning;
}

void CollectDebugText(const char* text) {
    std::lock_guard<std::mutex> lock(textsMutex);
    texts.emplace_back(text);
}

struct WorkerArgs {
    ChannelObjects* objects;
    HANDLE stop;
};

DWORD WINAPI Worker(void* p) {
    auto* args = static_cast<WorkerArgs*>(p);
    ServeRequests(*args->objects, args->stop);
    delete args;
    return 0;
}

}  // namespace

InProcessService::InProcessService() {
    static std::atomic<int> counter{0};
    std::wstring suffix = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
    names_ = {L"Global\\SlotwiseTestMapping-" + suffix, L"Global\\SlotwiseTestRequest-" + suffix,
              L"Global\\SlotwiseTestResponse-" + suffix, L"SlotwiseTestService-" + suffix};
    UseDebugTextSink(CollectDebugText);
    if (!CreateChannelObjects(names_, &objects_)) return;
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    serviceRunning = true;
    worker_ = CreateThread(nullptr, 0, Worker, new WorkerArgs{&objects_, stop_}, 0, nullptr);
    UseServiceChannelNames(names_);
    UseServiceAliveCheck(InProcessServiceRunning);
}

InProcessService::~InProcessService() {
    Stop();
    UseServiceChannelNames(DiskServiceNames());
    UseServiceAliveCheck(nullptr);
    UseDebugTextSink(nullptr);
    CloseChannelObjects(&objects_);
    if (stop_) CloseHandle(stop_);
}

void InProcessService::Stop() {
    if (!worker_) return;
    SetEvent(stop_);
    WaitForSingleObject(worker_, INFINITE);
    CloseHandle(worker_);
    worker_ = nullptr;
    serviceRunning = false;
}

bool InProcessService::SendRaw() {
    SetEvent(objects_.request);
    return WaitForSingleObject(objects_.response, 10000) == WAIT_OBJECT_0;
}

std::vector<std::string> InProcessService::DebugTexts() {
    std::lock_guard<std::mutex> lock(textsMutex);
    return texts;
}

void InProcessService::ClearDebugTexts() {
    std::lock_guard<std::mutex> lock(textsMutex);
    texts.clear();
}

namespace {
DWORD WINAPI RunWork(void* p) {
    (*static_cast<const std::function<void()>*>(p))();
    return 0;
}
}  // namespace

void MustFinishWithin(DWORD ms, const char* what, const std::function<void()>& work) {
    HANDLE thread = CreateThread(nullptr, 0, RunWork, const_cast<std::function<void()>*>(&work), 0, nullptr);
    if (WaitForSingleObject(thread, ms) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "%s did not finish within %lu ms; giving up\n", what, static_cast<unsigned long>(ms));
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    CloseHandle(thread);
}

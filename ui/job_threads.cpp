// The job and format worker threads.
#include "ui/job_threads.h"

#include <atomic>
#include <memory>

#include "app/message_box.h"
#include "app/result_text.h"
#include "disk/drive_record.h"
#include "ui/program_core.h"

namespace {
std::atomic<DWORD> userInterfaceThread{0};
std::atomic<int> pendingJobWorkers{0};

struct JobRequest {
    int kind;
    DriveRecord drive;
};

DWORD WINAPI JobWorker(void* argument) {
    std::unique_ptr<JobRequest> request(static_cast<JobRequest*>(argument));
    Program().runner.RunJob(request->kind, request->drive);
    pendingJobWorkers.fetch_sub(1);
    return 0;
}

DWORD WINAPI FormatWorkerThread(void* argument) {
    std::unique_ptr<FormatDriveRequest> request(static_cast<FormatDriveRequest*>(argument));
    ProgramCore& program = Program();
    program.blocks.cancelRequested.store(0);
    AttachInputToUserInterface();
    if (request->enableControls) request->enableControls(false);
    const JobParameters& p = request->parameters;
    int result =
        program.blocks.FormatDrive(*request->host, request->blockCount, p.floppyFormat, p.quickFormat, p.dosSystem);
    if (result != 0)
        ShowMessage(BlockFailureText(program.blocks.FailureOf(result)), MB_ICONEXCLAMATION | MB_OK, request->owner);
    if (request->enableControls) request->enableControls(true);
    // Last: until now the dialog must not close.
    program.formatWorker.formatRunning.store(0);
    return 0;
}
}  // namespace

void SetUserInterfaceThread(DWORD threadId) {
    userInterfaceThread.store(threadId);
}

DWORD UserInterfaceThread() {
    return userInterfaceThread.load();
}

void AttachInputToUserInterface() {
    const DWORD target = userInterfaceThread.load();
    if (target != 0 && target != GetCurrentThreadId()) AttachThreadInput(GetCurrentThreadId(), target, TRUE);
}

void StartJob(int kind) {
    // A whole-drive format uses the sector access layer that every job shares: a job started
    // meanwhile (the timer selecting another drive after a removal) would take it over.
    if (Program().formatWorker.formatRunning.load() != 0) return;
    auto* request = new JobRequest{kind, Program().drives.currentDrive};
    pendingJobWorkers.fetch_add(1);
    HANDLE thread = CreateThread(nullptr, 0, JobWorker, request, 0, nullptr);
    if (!thread) {
        pendingJobWorkers.fetch_sub(1);
        delete request;
        return;
    }
    CloseHandle(thread);
}

bool JobWorkersPending() {
    return pendingJobWorkers.load() != 0;
}

bool StartFormatDrive(const FormatDriveRequest& request) {
    std::atomic<int32_t>& running = Program().formatWorker.formatRunning;
    if (running.exchange(1) != 0) return false;
    auto* copy = new FormatDriveRequest(request);
    HANDLE thread = CreateThread(nullptr, 0, FormatWorkerThread, copy, 0, nullptr);
    if (!thread) {
        delete copy;
        running.store(0);
        return false;
    }
    CloseHandle(thread);
    return true;
}

// The window program's worker threads: the job worker, one at a time, running a job kind of the
// job core on the current drive, and the format worker running a whole-drive format for the
// format dialog. Each is a thread made for one run whose handle is closed at once; nobody waits
// for it. Both attach their input to the user-interface thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "blocks/drive_format.h"
#include "jobs/job_parameters.h"

// The thread that runs the message loop; the main window records it when it starts.
void SetUserInterfaceThread(DWORD threadId);
DWORD UserInterfaceThread();
// Attaches the calling worker's input to the user-interface thread until the worker ends.
void AttachInputToUserInterface();

// Starts job kind `kind` on a copy of the current drive's record, with the job parameters as
// they are now. A request while a job runs is dropped by the job itself, silently; one while a
// whole-drive format runs is dropped here.
void StartJob(int kind);

// True from StartJob until its thread has ended. The user interface writes the job parameters
// only while this is false, so that no starting or running job sees them change.
bool JobWorkersPending();

// What the format dialog hands the format worker.
struct FormatDriveRequest {
    DriveFormatHost* host = nullptr;  // the dialog's side of the format; outlives the run
    HWND owner = nullptr;             // owner of the result box: the format dialog
    uint32_t blockCount = 0;
    JobParameters parameters;  // floppyFormat, quickFormat, dosSystem
    // Disables (false) the dialog's controls before the format and enables them (true) after
    // the report; called on the worker.
    std::function<void(bool)> enableControls;
};

// Starts the format worker. formatRunning is 1 from this call until the worker has reported,
// so that the dialog, which reads it to decide what closing means, never misses a run that has
// not yet begun. False (and nothing started) when a format runs already or no thread can be made.
bool StartFormatDrive(const FormatDriveRequest& request);

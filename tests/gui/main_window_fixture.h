// The main window on an image-backed drive, run in this process the way start-up runs it: the
// window and its message loop on a thread of their own, the test on its own thread. The drive
// is an image of 12 floppy disk blocks holding a few folders; the settings live under a key of
// the test's own; Explorer starts are recorded instead of made. Beside the window, a job core
// of the test's own (the one slotwise-cli runs) works on a copy of the drive, so that what a
// job of the window makes can be compared with what the same job makes there.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "blocks/block_manager.h"
#include "blocks/pc_fs.h"
#include "disk/drive_record.h"
#include "disk/sector_access.h"
#include "fatfs/file_engine.h"
#include "jobs/job_runner.h"
#include "support/temp_dir.h"
#include "tests/jobs/fake_job_frontend.h"
#include "tests/settings/test_store.h"
#include "window_probe.h"

// 2026-12-05 19:59:44, the time every block header and backup folder gets while a test runs.
constexpr wchar_t kTestStamp[] = L"20261205195944";

class MainWindowTest : public ::testing::Test {
protected:
    static constexpr uint32_t kBlocks = 12;

    MainWindowTest();
    ~MainWindowTest() override;
    void SetUp() override;
    void TearDown() override;

    // Attaches the drive image (done by SetUp; tests that start without a drive skip it).
    void AttachDrive();
    // Starts the window and waits until it is there; with blocks, until its list shows the
    // drive's blocks and no job runs.
    void OpenWindow(bool waitForBlocks = true);
    // Closes the window as the close box does and waits for its message loop's exit code.
    int CloseWindow();
    // Waits until no job is starting or running.
    bool WaitForJobs(int timeoutMs = 20000);
    // Posts a command to the window, as the menu does.
    void Command(int id) { PostMessageW(frame, WM_COMMAND, static_cast<WPARAM>(id), 0); }
    // Sends a command that starts a job without a dialog and waits until the job is over.
    bool RunCommand(int id) {
        SendMessageW(frame, WM_COMMAND, static_cast<WPARAM>(id), 0);
        return WaitForJobs();
    }

    // The reference job core on a copy of the drive image as it is now (ref.img): runs a job
    // kind on rows selected by block number, with its own upload and backup folders.
    int RunReferenceJob(int kind, const std::vector<int>& blocks);
    // The block list the reference core lists for the drive image as it is now.
    std::vector<Row> ReferenceRows();

    // Explorer command lines the window asked for, in order.
    static std::vector<std::wstring> ExplorerStarts();

    // A file under path, every level made.
    static void PutFile(const std::string& path, const std::string& bytes);
    // Every file and folder under root by its path below root ("a/b.txt", folders end in "/"),
    // with the bytes of the files.
    static std::map<std::string, std::string> FolderContents(const std::string& root);
    static std::string FileBytes(const std::string& path);
    // Copies a file over another (the library's copy_file cannot replace a file here).
    static void CopyFileOver(const std::string& from, const std::string& to);
    // A path as the program is given it.
    static std::wstring Wide(const std::string& path);

    TempDir dir;
    TestStore store;
    std::string drivePath;        // the drive image the window works on
    std::string referencePath;    // its copy for the reference core
    std::string uploadRoot;       // the window's savePath
    std::string backupRoot;       // the window's backupPath
    std::string referenceUpload;  // the reference core's savePath
    std::string referenceBackup;  // the reference core's backupPath
    DriveRecord drive;            // the attached drive's record
    bool attached = false;

    HWND frame = nullptr;
    HWND list = nullptr;
    HWND tree = nullptr;
    int exitCode = -1;

    SectorAccess sectors;
    FileEngine engine{sectors};
    PcFileSystem pc;
    FakeJobFrontEnd reference;
    BlockManager referenceBlocks{sectors, engine, pc, reference};
    JobRunner referenceRunner;

private:
    void MakeDrive();
    std::thread ui_;
    std::atomic<DWORD> uiThreadId_{0};
    std::atomic<bool> uiEnded_{false};
};

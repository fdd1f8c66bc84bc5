// The main window in this process as start-up runs it, its message loop on a thread of its own,
// on an image of 8 floppy disk blocks; settings under a key of the test's own; Explorer starts
// recorded. The job core of DriveImageTest (the one slotwise-cli runs) is the reference: it works
// on a copy of the window's drive, so that what a job of the window makes can be compared.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gui_harness.h"
#include "support/drive_image_test.h"
#include "tests/settings/test_store.h"

class MainWindowTest : public DriveImageTest {
protected:
    static constexpr int kBlocks = 8;

    void SetUp() override;
    void TearDown() override;
    // Starts the window and waits until it shows; with blocks, until it lists them and no job runs.
    void OpenWindow(bool waitForBlocks = true);
    // Closes the window as the close box does; the message loop's exit code.
    int CloseWindow();
    bool WaitForJobs();
    void Command(int id) { PostMessageW(frame, WM_COMMAND, static_cast<WPARAM>(id), 0); }
    // An image of lastSector + 1 sectors (an existing one when 0) attached as a drive, on the
    // window's thread while the window is open.
    DriveRecord AttachImage(const std::string& name, uint32_t lastSector);
    // What the system sends the window when a volume arrives or goes.
    void VolumeChange(WPARAM event);

    // The reference core runs a job kind over the blocks on a copy of the window's drive; its result.
    int Reference(int kind, const std::vector<int>& blocks);
    // The block list the reference core makes of the window's drive as it is now.
    std::string ReferenceRows();
    std::string WindowDrive() const { return ReadWholeFile(image); }
    // How many sectors of two images differ, and the first few ("" when they are the same).
    static std::string Differences(const std::string& a, const std::string& b);
    // Every file and folder under root, one line each: the path, and a file's size and checksum.
    static std::string Contents(const std::string& root);
    // The Explorer command lines asked for since the last call.
    static std::vector<std::wstring> TakeExplorerStarts();

    TestStore store;
    std::string image;  // the window's drive image, its upload and backup directories
    std::string windowUpload;
    std::string windowBackup;
    DriveRecord shown;   // the window's drive as attached
    std::string letter;  // its letter: the level of its folders in those directories
    HWND frame = nullptr;
    HWND list = nullptr;
    HWND tree = nullptr;
    std::unique_ptr<UiThread> ui;

private:
    std::vector<int32_t> attached_;
};

// The whole-drive format dialog: the block count limited by the chosen drive, a drive that cannot
// be opened, a format compared with what the job core's own format writes, no second format while
// one runs, a cancel between blocks, and the list of the current drive reloaded after its format.
#include <windows.h>

#include <commctrl.h>
#include <dbt.h>

#include "disk/wide_path.h"
#include "main_window_fixture.h"
#include "support/image_format_host.h"
#include "ui/program_core.h"
#include "ui/resource.h"

namespace {

const wchar_t kAlarm[] = L"Alarm: Format will delete all the data!!!   \n Ensure to format?";
const std::vector<NamedControl> kControls = {{"list", IDC_DRIVE_LIST},          {"1.44M", IDC_DRIVE_FORMAT_144M},
                                             {"make", IDC_DRIVE_MAKE_BOOTABLE}, {"dos7.1", IDC_DRIVE_DOS71},
                                             {"count", IDC_DRIVE_COUNT},        {"quick", IDC_DRIVE_QUICK},
                                             {"start", IDC_DRIVE_START},        {"progress", IDC_DRIVE_PROGRESS}};

bool Formatting() {
    return Program().formatWorker.formatRunning.load() != 0;
}

// Called on the window's thread when the format worker moves the progress bar: the worker waits
// in that call meanwhile, so the format is held between two blocks.
std::function<void(WPARAM position)> onProgress;

LRESULT CALLBACK WatchProgress(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == PBM_SETPOS && onProgress) onProgress(sent->wParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class FormatDialogTest : public MainWindowTest {
protected:
    void TearDown() override {
        if (hook_) UnhookWindowsHookEx(hook_);
        onProgress = nullptr;
        MainWindowTest::TearDown();
    }
    HWND OpenDialog() {
        Command(ID_DRIVE_FORMAT);
        if (!hook_)
            hook_ =
                SetWindowsHookExW(WH_CALLWNDPROCRET, WatchProgress, nullptr, GetWindowThreadProcessId(frame, nullptr));
        return FindDialog(frame, IDC_DRIVE_LIST);
    }
    // Starts a format of count blocks and says OK to the warning.
    void StartFormat(HWND dialog, const wchar_t* count) {
        Type(dialog, IDC_DRIVE_COUNT, count);
        PostMessageW(dialog, WM_COMMAND, IDC_DRIVE_START, 0);
        const Box alarm = WaitForBox(dialog);
        EXPECT_EQ(alarm.text, kAlarm);
        Answer(alarm.hwnd, IDOK);
        RunOn(frame, [] {});  // the dialog has gone on from the warning and started the worker
    }
    // Waits for the format's report, answers it and waits until the format has ended.
    std::wstring Report(HWND dialog) {
        const Box report = WaitForBox(dialog);
        Answer(report.hwnd, IDOK);
        WaitUntil([] { return !Formatting(); });
        return report.text;
    }
    // The window's drive as the job core's own whole-drive format (quick) leaves it.
    std::string ReferenceFormat(uint32_t count, int format, int dos) {
        EXPECT_EQ(Reference(JOB_LIST, {}), 0);
        ImageFormatHost host(sectors, WideFromUtf8(drivePath));
        EXPECT_EQ(blocks.FormatDrive(host, count, format, 1, dos), 0);
        return ReadWholeFile(drivePath);
    }
    HHOOK hook_ = nullptr;
};

TEST_F(FormatDialogTest, TheChosenDriveLimitsTheBlockCountAndAFailureToOpenItIsReported) {
    OpenWindow();
    const DriveRecord medium = AttachImage("medium.img", 3 * kSlotSectors + 100);
    VolumeChange(DBT_DEVICEARRIVAL);
    const std::string before = WindowDrive() + ReadWholeFile(dir.File("medium.img"));
    // The default of 100 is reduced to the 8 blocks the drive holds.
    HWND dialog = OpenDialog();
    EXPECT_EQ(TextOf(dialog, IDC_DRIVE_COUNT), L"8");
    // The medium drive chosen as a click in the list box does.
    HWND box = GetDlgItem(dialog, IDC_DRIVE_LIST);
    SendMessageW(box, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(medium.driveName.c_str()));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_DRIVE_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_DRIVE_COUNT, CB_GETCOUNT, 0, 0), 3);
    const struct {
        const wchar_t* typed;
        std::wstring box;
    } cases[] = {
        {L"60", kAlarm},  // more than the drive holds: the most it holds, without a word
        {L"0", L"The efficient number of floppy disk block: 1 - 3  "},
        {L"x2", L"The efficient number of floppy disk block: 1 - 3  "},
    };
    for (const auto& c : cases) {
        Type(dialog, IDC_DRIVE_COUNT, c.typed);
        PostMessageW(dialog, WM_COMMAND, IDC_DRIVE_START, 0);
        const Box box = WaitForBox(dialog);
        // Cancel at the warning formats nothing and leaves the dialog open.
        Answer(box.hwnd, IDCANCEL);
        RunOn(frame, [] {});
        EXPECT_EQ(box.text + L" / " + TextOf(dialog, IDC_DRIVE_COUNT), c.box + L" / 3") << Utf8FromWide(c.typed);
    }
    EXPECT_TRUE(IsWindowVisible(dialog) && !Formatting());
    EXPECT_TRUE(WindowDrive() + ReadWholeFile(dir.File("medium.img")) == before) << "a drive was written";
    // The image goes away: the format reports the system's own text, and that no block changed
    // (none is to blame: the drive could not be opened), and the dialog is ready again.
    ASSERT_TRUE(DeleteFileW(WideFromUtf8(dir.File("medium.img")).c_str()));
    StartFormat(dialog, L"1");
    EXPECT_EQ(Report(dialog), SystemText(ERROR_FILE_NOT_FOUND) + L"\nNo floppy disk block was changed.");
    EXPECT_EQ(ControlStates(dialog, kControls), "list 1.44M[x] make dos7.1(off) count quick start progress(hidden)");
}

TEST_F(FormatDialogTest, ThreeQuickBlocksAreWhatTheJobCoreWritesAndTheCurrentDriveIsListedAgain) {
    OpenWindow();
    const std::string expected = ReferenceFormat(3, Format144M, DosNone);
    HWND dialog = OpenDialog();
    Click(dialog, IDC_DRIVE_QUICK);
    // Start and Enter during the format start no second one.
    std::string during;
    onProgress = [&](WPARAM position) {
        if (position != 1) return;
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        SendMessageW(dialog, WM_COMMAND, IDC_DRIVE_START, 0);
        during = ControlStates(dialog, kControls);
    };
    StartFormat(dialog, L"3");
    EXPECT_EQ(Report(dialog), L"Format complete");
    EXPECT_EQ(during,
              "list(off) 1.44M[x](off) make(off) dos7.1(off) count(off) quick[x](off) start(off)(hidden) progress");
    EXPECT_EQ(Differences(WindowDrive(), expected), "");
    Answer(dialog, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return RowCount(list) == 3; }));
    ASSERT_TRUE(WaitForJobs());
    EXPECT_EQ(Rows(list), ReferenceRows());
}

TEST_F(FormatDialogTest, CancelAfterFourBootableBlocksLeavesWhatAFormatOfFourWrites) {
    OpenWindow();
    const std::string expected = ReferenceFormat(4, Format720K, Dos71);
    HWND dialog = OpenDialog();
    for (int id : {IDC_DRIVE_FORMAT_720K, IDC_DRIVE_MAKE_BOOTABLE, IDC_DRIVE_DOS71, IDC_DRIVE_QUICK})
        Click(dialog, id);
    // Cancel pressed as the fourth block of eight is reported: the worker stops before the fifth.
    onProgress = [dialog](WPARAM position) {
        if (position == 4) SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    StartFormat(dialog, L"8");
    ASSERT_TRUE(WaitUntil([] { return !Formatting(); }));
    // A cancel shows no report and keeps the dialog.
    EXPECT_EQ(FindDialog(dialog, 0, 0), nullptr);
    EXPECT_EQ(Differences(WindowDrive(), expected), "");
    Answer(dialog, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return RowCount(list) == 4; }));
    ASSERT_TRUE(WaitForJobs());
    EXPECT_EQ(Rows(list), ReferenceRows());
}

}  // namespace

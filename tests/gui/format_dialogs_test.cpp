// The two format dialogs in the main window: the choices they open with and remember, the
// block-count rules of the whole-drive format, its questions, a whole-drive format of an
// image-backed drive run by the dialog and compared with what the job core's own format writes,
// a cancel between blocks, the list reloaded only for the current drive, no format while a job
// runs, and formatting selected blocks. Pictures of both dialogs go under artifacts/.
#include "main_window_fixture.h"

#include <commctrl.h>
#include <dbt.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <set>

#include "app/image_drives.h"
#include "blocks/block_header.h"
#include "blocks/drive_format.h"
#include "disk/attached_images.h"
#include "disk/image_drive.h"
#include "disk/pc_file.h"
#include "screenshot.h"
#include "support/image_format_host.h"
#include "ui/job_threads.h"
#include "ui/program_core.h"
#include "ui/resource.h"

namespace {
namespace fs = std::filesystem;

const wchar_t kAlarm[] = L"Alarm: Format will delete all the data!!!   \n Ensure to format?";

std::wstring CountLabel(int maximum) {
    return L"The number of floppy disk block (1 - " + std::to_wstring(maximum) + L")\u00a3\u00ba";
}

std::wstring RangeText(int maximum) {
    return L"The efficient number of floppy disk block: 1 - " + std::to_wstring(maximum) + L"  ";
}

struct Search {
    HWND owner = nullptr;  // boxes: the owner wanted
    int control = 0;       // dialogs: a control the dialog has
    HWND found = nullptr;
};

BOOL CALLBACK FindWindowOfSearch(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wstring(name) != L"#32770") return TRUE;
    if (search->owner && GetWindow(window, GW_OWNER) != search->owner) return TRUE;
    if (search->control && !GetDlgItem(window, search->control)) return TRUE;
    search->found = window;
    return FALSE;
}

HWND WaitForWindow(Search search, int timeoutMs) {
    WaitUntil(
        [&] {
            search.found = nullptr;
            EnumWindows(FindWindowOfSearch, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

// A message box owned by owner; hwnd null when none came.
OpenDialog WaitForBoxOver(HWND owner, int timeoutMs = 10000) {
    OpenDialog box;
    box.hwnd = WaitForWindow(Search{owner, 0xFFFF, nullptr}, timeoutMs);
    if (!box.hwnd) return box;
    box.caption = WindowTextOf(box.hwnd);
    box.text = WindowTextOf(GetDlgItem(box.hwnd, 0xFFFF));
    box.owner = owner;
    return box;
}

bool Checked(HWND dialog, int id) {
    return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool Visible(HWND dialog, int id) {
    return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE;
}

void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::wstring Text(HWND dialog, int id) {
    return WindowTextOf(GetDlgItem(dialog, id));
}

std::vector<std::wstring> ComboItems(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_DRIVE_COUNT);
    std::vector<std::wstring> items;
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[16] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

std::vector<std::wstring> Numbers(int from, int to) {
    std::vector<std::wstring> numbers;
    for (int n = from; n <= to; ++n)
        numbers.push_back(std::to_wstring(n));
    return numbers;
}

std::vector<std::wstring> DriveLines(HWND dialog) {
    HWND box = GetDlgItem(dialog, IDC_DRIVE_LIST);
    std::vector<std::wstring> lines;
    const int count = static_cast<int>(SendMessageW(box, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendMessageW(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        lines.push_back(text);
    }
    return lines;
}

std::wstring SelectedDriveLine(HWND dialog) {
    HWND box = GetDlgItem(dialog, IDC_DRIVE_LIST);
    const LRESULT line = SendMessageW(box, LB_GETCURSEL, 0, 0);
    if (line == LB_ERR) return std::wstring();
    wchar_t text[256] = {};
    SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text));
    return text;
}

// Chooses the line of the drive named driveName as a click in the list box does.
bool ChooseDrive(HWND dialog, const std::wstring& driveName) {
    HWND box = GetDlgItem(dialog, IDC_DRIVE_LIST);
    const LRESULT line =
        SendMessageW(box, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(driveName.c_str()));
    if (line == LB_ERR) return false;
    SendMessageW(box, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_DRIVE_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    return true;
}

bool FormatRunning() {
    return Program().formatWorker.formatRunning.load() != 0;
}

// Sector s of an image file's bytes.
std::string Sector(const std::string& image, uint32_t s) {
    return image.substr(static_cast<size_t>(s) * kSectorSize, kSectorSize);
}

// Something to do on the window's thread once the format worker has moved the progress bar to a
// given position: the worker waits in its window call meanwhile, so the format is held
// between two blocks for as long as the action takes.
struct ProgressWatch {
    HWND bar = nullptr;
    WPARAM position = 0;
    std::function<void()> action;
    std::atomic<bool> fired{false};
};
ProgressWatch* progressWatch = nullptr;

LRESULT CALLBACK WatchProgress(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    ProgressWatch* watch = progressWatch;
    if (code == HC_ACTION && watch && !watch->fired && message->hwnd == watch->bar && message->message == PBM_SETPOS &&
        message->wParam == watch->position) {
        watch->fired = true;
        watch->action();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class FormatDialogTest : public MainWindowTest {
protected:
    // A test that failed during a format leaves no worker behind for the next one: the format
    // is cancelled and its boxes are answered.
    void TearDown() override {
        formatReleased_ = true;
        if (FormatRunning()) {
            Program().blocks.cancelRequested.store(1);
            WaitUntil(
                [] {
                    HWND box = WaitForWindow(Search{nullptr, 0xFFFF, nullptr}, 0);
                    if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
                    return !FormatRunning();
                },
                20000);
        }
        MainWindowTest::TearDown();
    }

    ~FormatDialogTest() override {
        if (hook_) UnhookWindowsHookEx(hook_);
        progressWatch = nullptr;
        for (int32_t number : extra_)
            ProcessAttachedImages().Detach(number);
    }

    // An unformatted image-backed drive whose last sector is lastSector, attached on the
    // window's thread when the window is open.
    DriveRecord AttachBlankDrive(const std::string& name, uint32_t lastSector) {
        const std::string path = dir.File(name);
        PcFile file;
        EXPECT_TRUE(file.Open(Wide(path), PcFile::Mode::CreateAlways));
        EXPECT_TRUE(file.SetSize((static_cast<uint64_t>(lastSector) + 1) * kSectorSize));
        file.Close();
        DriveRecord added;
        int status = -1;
        auto attach = [&] { status = AttachImageDrive(Wide(path), &added); };
        if (frame) {
            RunOnWindowThread(frame, attach);
        } else {
            attach();
        }
        EXPECT_EQ(status, ATTACH_OK);
        if (status == ATTACH_OK) extra_.push_back(added.deviceNumber);
        return added;
    }

    void SendVolumeChange(WPARAM event) {
        DEV_BROADCAST_DEVICEINTERFACE_W header = {};
        header.dbcc_size = sizeof(header);
        header.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        SendMessageW(frame, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&header));
    }

    // Ctrl+F or the menu: the format dialog, once it is there.
    HWND OpenFormatDialog() {
        Command(ID_DRIVE_FORMAT);
        HWND dialog = WaitForWindow(Search{nullptr, IDC_DRIVE_LIST, nullptr}, 10000);
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }

    HWND OpenBlockDialog(int command) {
        Command(command);
        HWND dialog = WaitForWindow(Search{nullptr, IDC_BLOCK_START, nullptr}, 10000);
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }

    // Starts a format in the dialog and says OK to the warning.
    void StartFormat(HWND dialog, const std::wstring& count) {
        SetWindowTextW(GetDlgItem(dialog, IDC_DRIVE_COUNT), count.c_str());
        PostMessageW(dialog, WM_COMMAND, IDC_DRIVE_START, 0);
        OpenDialog alarm = WaitForBoxOver(dialog);
        ASSERT_NE(alarm.hwnd, nullptr);
        ASSERT_EQ(alarm.text, kAlarm);
        ASSERT_TRUE(AnswerDialog(alarm, IDOK));
        // The dialog has gone on from the warning and started the worker.
        RunOnWindowThread(frame, [] {});
        ASSERT_TRUE(FormatRunning() || watch_.fired);
    }

    void CloseDialog(HWND dialog) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
        // The command that opened it has finished (and started its reload, if any).
        RunOnWindowThread(frame, [] {});
    }

    // Runs action on the window's thread when the format's progress bar goes to position.
    void WatchProgressOf(HWND dialog, WPARAM position, std::function<void()> action) {
        watch_.bar = GetDlgItem(dialog, IDC_DRIVE_PROGRESS);
        watch_.position = position;
        watch_.action = std::move(action);
        watch_.fired = false;
        progressWatch = &watch_;
        hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, WatchProgress, nullptr, GetWindowThreadProcessId(frame, nullptr));
        ASSERT_NE(hook_, nullptr);
    }

    // Holds the format once its progress bar reaches position, with the window's thread still
    // answering messages, until formatReleased_ is set; formatHeld_ tells that it is held.
    void HoldFormatAt(HWND dialog, WPARAM position) {
        formatHeld_ = false;
        formatReleased_ = false;
        WatchProgressOf(dialog, position, [this] {
            formatHeld_ = true;
            while (!formatReleased_) {
                MSG message;
                while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                    TranslateMessage(&message);
                    DispatchMessageW(&message);
                }
                Sleep(10);
            }
        });
    }
    std::atomic<bool> formatHeld_{false};
    std::atomic<bool> formatReleased_{false};

    // The drive image as the job core's own whole-drive format leaves it, from the drive as it is now.
    std::string ReferenceFormat(uint32_t count, int format, int quick, int dos) {
        CopyFileOver(drivePath, referencePath);
        ImageFormatHost host(sectors, Wide(referencePath));
        EXPECT_EQ(referenceBlocks.FormatDrive(host, count, format, quick, dos), 0);
        return FileBytes(referencePath);
    }

    uint32_t StoredValue(const wchar_t* subkey, const wchar_t* name) {
        SettingsKey key;
        EXPECT_EQ(store.store().OpenKey(subkey, &key), 0);
        uint32_t value = 0xDEADBEEF;
        EXPECT_TRUE(key.ReadDword(name, &value)) << name;
        return value;
    }

    void Store(const wchar_t* subkey, const wchar_t* name, uint32_t value) {
        SettingsKey key;
        ASSERT_EQ(store.store().OpenKey(subkey, &key), 0);
        ASSERT_EQ(key.WriteDword(name, value), 0);
    }

    ProgressWatch watch_;
    HHOOK hook_ = nullptr;

private:
    std::vector<int32_t> extra_;
};

TEST_F(FormatDialogTest, TheDialogsOpenWithTheStoredChoicesCapped) {
    Store(L"format_dlg", L"LastFormatType", 2);
    Store(L"format_dlg", L"EnableBootDisk", 1);
    Store(L"format_dlg", L"BootDiskDOSVer", 7);
    Store(L"format_dlg", L"LastFddFormatCout", 250);
    Store(L"format_dlg", L"QuickFormat", 1);
    Store(L"format_fdd_dlg", L"LastFormatType", 3);
    Store(L"format_fdd_dlg", L"BootDiskDOSVer", 9);
    const DriveRecord large = AttachBlankDrive("large.img", 4000000);
    OpenWindow();
    ASSERT_TRUE(SelectTreeItem(tree, large.driveName));
    ASSERT_TRUE(
        WaitUntil([&] { return WindowTextOf(frame).find(L"[" + large.driveName + L"]") != std::wstring::npos; }));
    ASSERT_TRUE(WaitForJobs());

    HWND dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Checked(dialog, IDC_DRIVE_FORMAT_12M));
    EXPECT_FALSE(Checked(dialog, IDC_DRIVE_FORMAT_144M));
    EXPECT_FALSE(Checked(dialog, IDC_DRIVE_FORMAT_720K));
    EXPECT_TRUE(Checked(dialog, IDC_DRIVE_MAKE_BOOTABLE));
    // A DOS version above 2 is taken as DOS 6.22.
    EXPECT_TRUE(Checked(dialog, IDC_DRIVE_DOS622));
    EXPECT_FALSE(Checked(dialog, IDC_DRIVE_DOS71));
    EXPECT_TRUE(Enabled(dialog, IDC_DRIVE_DOS622));
    EXPECT_TRUE(Checked(dialog, IDC_DRIVE_QUICK));
    // 250 blocks are taken as 100, which a drive of four million sectors allows.
    EXPECT_EQ(Text(dialog, IDC_DRIVE_COUNT), L"100");
    EXPECT_EQ(ComboItems(dialog), Numbers(1, 100));
    EXPECT_EQ(Text(dialog, IDC_DRIVE_COUNT_LABEL), CountLabel(100));
    EXPECT_EQ(WindowTextOf(dialog), L"Format [" + large.driveName + L"]");
    // Above 1 GiB the capacity is given in units of 2^30 bytes.
    EXPECT_EQ(SelectedDriveLine(dialog), large.driveName + L" (1.91 G) " + std::to_wstring(large.deviceNumber) + L" " +
                                             large.deviceName + L" USB Device");
    EXPECT_TRUE(Enabled(dialog, IDC_DRIVE_START));
    EXPECT_FALSE(Visible(dialog, IDC_DRIVE_PROGRESS));
    // Clearing the Make box disables the DOS buttons.
    Click(dialog, IDC_DRIVE_MAKE_BOOTABLE);
    EXPECT_FALSE(Enabled(dialog, IDC_DRIVE_DOS622));
    EXPECT_FALSE(Enabled(dialog, IDC_DRIVE_DOS71));
    CloseDialog(dialog);

    HWND blocks = OpenBlockDialog(ID_BLOCK_FORMAT);
    ASSERT_NE(blocks, nullptr);
    EXPECT_EQ(WindowTextOf(blocks), L"format floppy disk block ");
    EXPECT_TRUE(Checked(blocks, IDC_BLOCK_FORMAT_720K));
    EXPECT_FALSE(Checked(blocks, IDC_BLOCK_MAKE_BOOTABLE));
    EXPECT_TRUE(Checked(blocks, IDC_BLOCK_DOS622));
    EXPECT_FALSE(Enabled(blocks, IDC_BLOCK_DOS622));
    EXPECT_FALSE(Enabled(blocks, IDC_BLOCK_DOS71));
    EXPECT_FALSE(Checked(blocks, IDC_BLOCK_QUICK));
    PostMessageW(blocks, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(blocks); }));
}

TEST_F(FormatDialogTest, WithNoDriveTheStoredCountIsCappedAndNothingCanBeStarted) {
    Store(L"format_dlg", L"LastFddFormatCout", 250);
    ASSERT_TRUE(ProcessAttachedImages().Detach(drive.deviceNumber));
    attached = false;
    OpenWindow(false);
    HWND dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowTextOf(dialog), L"Format");
    EXPECT_TRUE(DriveLines(dialog).empty());
    EXPECT_EQ(Text(dialog, IDC_DRIVE_COUNT), L"100");
    EXPECT_EQ(ComboItems(dialog), Numbers(1, 100));
    EXPECT_EQ(Text(dialog, IDC_DRIVE_COUNT_LABEL), CountLabel(100));
    EXPECT_FALSE(Enabled(dialog, IDC_DRIVE_START));
    // Enter starts nothing either: no question, no message.
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForBoxOver(dialog, 300).hwnd, nullptr);
    EXPECT_FALSE(FormatRunning());
    CloseDialog(dialog);
    EXPECT_EQ(CloseWindow(), 1);
    EXPECT_EQ(StoredValue(L"format_dlg", L"LastFddFormatCout"), 100u);
}

TEST_F(FormatDialogTest, WithNothingStoredTheDefaultsApply) {
    OpenWindow();
    HWND dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Checked(dialog, IDC_DRIVE_FORMAT_144M));
    EXPECT_FALSE(Checked(dialog, IDC_DRIVE_MAKE_BOOTABLE));
    EXPECT_TRUE(Checked(dialog, IDC_DRIVE_DOS622));
    EXPECT_FALSE(Enabled(dialog, IDC_DRIVE_DOS622));
    EXPECT_FALSE(Checked(dialog, IDC_DRIVE_QUICK));
    // Centred over the main window.
    RECT owner = {}, own = {};
    GetWindowRect(frame, &owner);
    GetWindowRect(dialog, &own);
    EXPECT_NEAR((own.left + own.right) / 2, (owner.left + owner.right) / 2, 1);
    EXPECT_NEAR((own.top + own.bottom) / 2, (owner.top + owner.bottom) / 2, 1);
    // The default of 100 blocks, reduced to the 12 that the test drive holds.
    EXPECT_EQ(Text(dialog, IDC_DRIVE_COUNT), L"12");
    EXPECT_EQ(ComboItems(dialog), Numbers(1, 12));
    EXPECT_EQ(Text(dialog, IDC_DRIVE_COUNT_LABEL), CountLabel(12));
    EXPECT_EQ(DriveLines(dialog),
              std::vector<std::wstring>{drive.driveName + L" (18.00 MB) " + std::to_wstring(drive.deviceNumber) + L" " +
                                        drive.deviceName + L" USB Device"});
    CloseDialog(dialog);
}

TEST_F(FormatDialogTest, ADriveOf150000SectorsAllows48BlocksAndATyped60Becomes48) {
    OpenWindow();
    const DriveRecord medium = AttachBlankDrive("medium.img", 150000);
    SendVolumeChange(DBT_DEVICEARRIVAL);
    HWND dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseDrive(dialog, medium.driveName));
    EXPECT_EQ(ComboItems(dialog), Numbers(1, 48));
    EXPECT_EQ(Text(dialog, IDC_DRIVE_COUNT_LABEL), CountLabel(48));
    EXPECT_EQ(WindowTextOf(dialog), L"Format [" + medium.driveName + L"]");
    EXPECT_EQ(SelectedDriveLine(dialog), medium.driveName + L" (73.24 MB) " + std::to_wstring(medium.deviceNumber) +
                                             L" " + medium.deviceName + L" USB Device");

    SetWindowTextW(GetDlgItem(dialog, IDC_DRIVE_COUNT), L"60");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    // No message about the count: the warning comes straight away, with 48 in the box.
    OpenDialog alarm = WaitForBoxOver(dialog);
    ASSERT_NE(alarm.hwnd, nullptr);
    EXPECT_EQ(alarm.text, kAlarm);
    EXPECT_EQ(Text(dialog, IDC_DRIVE_COUNT), L"48");
    ASSERT_TRUE(AnswerDialog(alarm, IDCANCEL));
    CloseDialog(dialog);
}

TEST_F(FormatDialogTest, ZeroOrLettersAsTheCountGiveTheRangeAndPutTheMaximumInTheBox) {
    OpenWindow();
    const std::string before = FileBytes(drivePath);
    HWND dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    HWND combo = GetDlgItem(dialog, IDC_DRIVE_COUNT);
    for (const wchar_t* typed : {L"0", L"ab", L"x12"}) {
        SetWindowTextW(combo, typed);
        PostMessageW(dialog, WM_COMMAND, IDC_DRIVE_START, 0);
        OpenDialog box = WaitForBoxOver(dialog);
        ASSERT_NE(box.hwnd, nullptr) << typed;
        EXPECT_EQ(box.text, RangeText(12)) << typed;
        ASSERT_TRUE(AnswerDialog(box, IDOK));
        EXPECT_EQ(WindowTextOf(combo), L"12") << typed;
        GUITHREADINFO focus = {};
        focus.cbSize = sizeof(focus);
        ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &focus));
        EXPECT_TRUE(focus.hwndFocus == combo || GetParent(focus.hwndFocus) == combo) << typed;
    }
    EXPECT_FALSE(FormatRunning());
    EXPECT_EQ(FileBytes(drivePath), before);
    CloseDialog(dialog);
}

TEST_F(FormatDialogTest, CancelAtTheWarningFormatsNothingAndTheDialogStaysOpen) {
    OpenWindow();
    const std::string before = FileBytes(drivePath);
    HWND dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, IDC_DRIVE_START, 0);
    OpenDialog alarm = WaitForBoxOver(dialog);
    ASSERT_NE(alarm.hwnd, nullptr);
    EXPECT_EQ(alarm.text, kAlarm);
    ASSERT_TRUE(AnswerDialog(alarm, IDCANCEL));
    RunOnWindowThread(frame, [] {});
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_FALSE(FormatRunning());
    EXPECT_TRUE(Enabled(dialog, IDC_DRIVE_START));
    EXPECT_EQ(WindowTextOf(dialog), L"Format [" + drive.driveName + L"]");
    EXPECT_EQ(FileBytes(drivePath), before);
    CloseDialog(dialog);
}

TEST_F(FormatDialogTest, ChoicesChangedAndCancelledAreKeptForTheNextOpeningAndStored) {
    OpenWindow();
    HWND dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_DRIVE_FORMAT_720K);
    Click(dialog, IDC_DRIVE_MAKE_BOOTABLE);
    EXPECT_TRUE(Enabled(dialog, IDC_DRIVE_DOS71));
    Click(dialog, IDC_DRIVE_DOS71);
    Click(dialog, IDC_DRIVE_QUICK);
    SetWindowTextW(GetDlgItem(dialog, IDC_DRIVE_COUNT), L"5");
    CloseDialog(dialog);

    dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Checked(dialog, IDC_DRIVE_FORMAT_720K));
    EXPECT_FALSE(Checked(dialog, IDC_DRIVE_FORMAT_144M));
    EXPECT_TRUE(Checked(dialog, IDC_DRIVE_MAKE_BOOTABLE));
    EXPECT_TRUE(Checked(dialog, IDC_DRIVE_DOS71));
    EXPECT_TRUE(Enabled(dialog, IDC_DRIVE_DOS71));
    EXPECT_TRUE(Checked(dialog, IDC_DRIVE_QUICK));
    EXPECT_EQ(Text(dialog, IDC_DRIVE_COUNT), L"5");
    CloseDialog(dialog);

    HWND blocks = OpenBlockDialog(ID_BULK_FORMAT);
    ASSERT_NE(blocks, nullptr);
    Click(blocks, IDC_BLOCK_FORMAT_12M);
    Click(blocks, IDC_BLOCK_QUICK);
    PostMessageW(blocks, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(blocks); }));
    EXPECT_TRUE(WaitForJobs());
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(kBlocks));

    EXPECT_EQ(CloseWindow(), 1);
    EXPECT_EQ(StoredValue(L"format_dlg", L"LastFormatType"), 3u);
    EXPECT_EQ(StoredValue(L"format_dlg", L"EnableBootDisk"), 1u);
    EXPECT_EQ(StoredValue(L"format_dlg", L"BootDiskDOSVer"), 2u);
    EXPECT_EQ(StoredValue(L"format_dlg", L"QuickFormat"), 1u);
    EXPECT_EQ(StoredValue(L"format_dlg", L"LastFddFormatCout"), 5u);
    EXPECT_EQ(StoredValue(L"format_fdd_dlg", L"LastFormatType"), 2u);
    EXPECT_EQ(StoredValue(L"format_fdd_dlg", L"EnableBootDisk"), 0u);
    EXPECT_EQ(StoredValue(L"format_fdd_dlg", L"BootDiskDOSVer"), 1u);
    EXPECT_EQ(StoredValue(L"format_fdd_dlg", L"QuickFormat"), 1u);
}

TEST_F(FormatDialogTest, ThreeQuickBlocksWriteExactlyTheirSectorsAndTheListIsReloaded) {
    OpenWindow();
    const std::string before = FileBytes(drivePath);
    const std::string expected = ReferenceFormat(3, Format144M, 1, DosNone);
    HWND dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_DRIVE_QUICK);
    StartFormat(dialog, L"3");
    OpenDialog done = WaitForBoxOver(dialog);
    ASSERT_NE(done.hwnd, nullptr);
    EXPECT_EQ(done.text, L"Format complete");
    // While the message is up the format has not ended: the bar is still there.
    EXPECT_TRUE(FormatRunning());
    EXPECT_TRUE(Visible(dialog, IDC_DRIVE_PROGRESS));
    EXPECT_FALSE(Visible(dialog, IDC_DRIVE_START));
    EXPECT_FALSE(Enabled(dialog, IDC_DRIVE_LIST));
    EXPECT_FALSE(Enabled(dialog, IDC_DRIVE_COUNT));
    EXPECT_FALSE(Enabled(dialog, IDC_DRIVE_FORMAT_144M));
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_DRIVE_PROGRESS, PBM_GETPOS, 0, 0), 3);
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_DRIVE_PROGRESS, PBM_GETRANGE, FALSE, 0), 3);
    EXPECT_EQ(WindowTextOf(dialog), L"Format [" + drive.driveName + L"] - 3/3");
    ASSERT_TRUE(AnswerDialog(done, IDOK));
    ASSERT_TRUE(WaitUntil([] { return !FormatRunning(); }));
    EXPECT_TRUE(Visible(dialog, IDC_DRIVE_START));
    EXPECT_FALSE(Visible(dialog, IDC_DRIVE_PROGRESS));
    EXPECT_TRUE(Enabled(dialog, IDC_DRIVE_START));
    EXPECT_TRUE(Enabled(dialog, IDC_DRIVE_LIST));
    EXPECT_FALSE(Enabled(dialog, IDC_DRIVE_DOS622));
    EXPECT_EQ(SelectedDriveLine(dialog).substr(0, 2), drive.driveName);
    EXPECT_FALSE(Program().drives.ignoreDeviceChanges);

    const std::string after = FileBytes(drivePath);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(after == expected) << "the dialog's format differs from the job core's";
    // Only the three system areas, the three headers and the mark after the last block changed.
    std::set<uint32_t> written;
    for (uint32_t block = 0; block < 3; ++block) {
        for (uint32_t s = 0; s < 33; ++s)
            written.insert(block * kSlotSectors + s);
        written.insert(block * kSlotSectors + 3071);
    }
    for (uint32_t s = 0; s < after.size() / kSectorSize; ++s) {
        if (written.count(s) || s == 9216) continue;
        ASSERT_EQ(Sector(after, s), Sector(before, s)) << "sector " << s;
    }
    // The slot after the last block gets the last block's boot sector without its jump.
    const std::string mark = Sector(after, 9216);
    EXPECT_EQ(mark.substr(0, 3), std::string(3, '\0'));
    EXPECT_EQ(mark.substr(3), Sector(after, 6144).substr(3));
    EXPECT_NE(Sector(after, 6144).substr(0, 3), std::string(3, '\0'));
    const std::string header = Sector(after, 3071);
    EXPECT_EQ(header.substr(0, 12), "UPDATE TIME:");
    EXPECT_EQ(header.substr(kMaxBlockOffset, 13), "MAX BLOCK:003");
    for (uint32_t block = 1; block < 3; ++block)
        EXPECT_EQ(Sector(after, block * kSlotSectors + 3071).substr(0, 12), "UPDATE TIME:");

    CloseDialog(dialog);
    // The current drive was formatted: its list is loaded again.
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 3; }));
    ASSERT_TRUE(WaitForJobs());
    std::vector<Row> rows = RowsOf(list);
    EXPECT_EQ(rows, ReferenceRows());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], L"000");
    EXPECT_EQ(rows[2][0], L"002");
}

TEST_F(FormatDialogTest, CancelAfterFourBlocksLeavesFourBlocksAndTheirCount) {
    OpenWindow();
    const std::string expected = ReferenceFormat(4, Format720K, 1, DosNone);
    HWND dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_DRIVE_FORMAT_720K);
    Click(dialog, IDC_DRIVE_QUICK);
    // Cancel pressed as the fourth block of ten is reported: the worker stops before the fifth.
    WatchProgressOf(dialog, 4, [dialog] { SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
    StartFormat(dialog, L"10");
    ASSERT_TRUE(WaitUntil([] { return !FormatRunning(); }, 20000));
    EXPECT_TRUE(watch_.fired);
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_DRIVE_PROGRESS, PBM_GETPOS, 0, 0), 4);
    // A cancel shows no "Format complete" and no error, and does not close the dialog.
    EXPECT_EQ(WaitForBoxOver(dialog, 300).hwnd, nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(WindowTextOf(dialog), L"Format [" + drive.driveName + L"] ...");
    EXPECT_EQ(Program().blocks.cancelRequested.load(), 1);

    const std::string after = FileBytes(drivePath);
    EXPECT_TRUE(after == expected) << "a cancel after 4 blocks differs from a format of 4";
    EXPECT_EQ(Sector(after, 3071).substr(kMaxBlockOffset, 13), "MAX BLOCK:004");
    EXPECT_EQ(Sector(after, 4 * kSlotSectors).substr(0, 3), std::string(3, '\0'));

    CloseDialog(dialog);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 4; }));
    ASSERT_TRUE(WaitForJobs());
    EXPECT_EQ(RowsOf(list), ReferenceRows());
}

TEST_F(FormatDialogTest, ABootableFormatWritesWholeBlocksWithTheChosenDos) {
    OpenWindow();
    const std::string expected = ReferenceFormat(2, Format12M, 1, Dos71);
    HWND dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_DRIVE_FORMAT_12M);
    Click(dialog, IDC_DRIVE_MAKE_BOOTABLE);
    Click(dialog, IDC_DRIVE_DOS71);
    Click(dialog, IDC_DRIVE_QUICK);
    StartFormat(dialog, L"2");
    OpenDialog done = WaitForBoxOver(dialog, 30000);
    ASSERT_NE(done.hwnd, nullptr);
    EXPECT_EQ(done.text, L"Format complete");
    ASSERT_TRUE(AnswerDialog(done, IDOK));
    ASSERT_TRUE(WaitUntil([] { return !FormatRunning(); }));
    // Enabled again after the format, the DOS buttons with the Make box.
    EXPECT_TRUE(Enabled(dialog, IDC_DRIVE_DOS71));
    EXPECT_TRUE(Enabled(dialog, IDC_DRIVE_MAKE_BOOTABLE));
    EXPECT_TRUE(FileBytes(drivePath) == expected) << "the dialog's bootable format differs from the job core's";
    CloseDialog(dialog);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 2; }));
    ASSERT_TRUE(WaitForJobs());
    EXPECT_EQ(RowsOf(list), ReferenceRows());
}

TEST_F(FormatDialogTest, AFormatThatCannotOpenItsDriveIsReportedOverTheDialogWhichReturnsToIdle) {
    OpenWindow();
    const DriveRecord second = AttachBlankDrive("second.img", 2 * kSlotSectors);
    SendVolumeChange(DBT_DEVICEARRIVAL);
    HWND dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseDrive(dialog, second.driveName));
    // The image goes away after it was chosen.
    ASSERT_TRUE(DeleteFileW(Wide(dir.File("second.img")).c_str()));
    StartFormat(dialog, L"1");
    OpenDialog failure = WaitForBoxOver(dialog);
    ASSERT_NE(failure.hwnd, nullptr);
    // The system's own text for the missing file.
    wchar_t system[256] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND, 0, system,
                   256, nullptr);
    std::wstring expected = system;
    while (!expected.empty() && (expected.back() == L'\n' || expected.back() == L'\r'))
        expected.pop_back();
    ASSERT_FALSE(expected.empty());
    EXPECT_NE(failure.text.find(expected), std::wstring::npos) << failure.text;
    ASSERT_TRUE(AnswerDialog(failure, IDOK));
    ASSERT_TRUE(WaitUntil([] { return !FormatRunning(); }));
    EXPECT_TRUE(Visible(dialog, IDC_DRIVE_START));
    EXPECT_FALSE(Visible(dialog, IDC_DRIVE_PROGRESS));
    EXPECT_TRUE(Enabled(dialog, IDC_DRIVE_START));
    EXPECT_TRUE(Enabled(dialog, IDC_DRIVE_LIST));
    EXPECT_EQ(WaitForBoxOver(dialog, 300).hwnd, nullptr);
    EXPECT_FALSE(fs::exists(fs::u8path(dir.File("second.img"))));
    CloseDialog(dialog);
}

TEST_F(FormatDialogTest, StartOrEnterDuringAFormatStartsNoSecondOne) {
    OpenWindow();
    HWND dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    HoldFormatAt(dialog, 1);
    Click(dialog, IDC_DRIVE_QUICK);
    StartFormat(dialog, L"2");
    ASSERT_TRUE(WaitUntil([&] { return formatHeld_.load(); }));
    for (int id :
         {IDC_DRIVE_LIST, IDC_DRIVE_FORMAT_144M, IDC_DRIVE_FORMAT_12M, IDC_DRIVE_FORMAT_720K, IDC_DRIVE_MAKE_BOOTABLE,
          IDC_DRIVE_DOS622, IDC_DRIVE_DOS71, IDC_DRIVE_COUNT, IDC_DRIVE_QUICK, IDC_DRIVE_START})
        EXPECT_FALSE(Enabled(dialog, id)) << id;
    EXPECT_FALSE(Visible(dialog, IDC_DRIVE_START));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    PostMessageW(dialog, WM_COMMAND, IDC_DRIVE_START, 0);
    // No warning comes: the keyboard cannot start a second format.
    EXPECT_EQ(WaitForBoxOver(dialog, 500).hwnd, nullptr);
    formatReleased_ = true;
    OpenDialog done = WaitForBoxOver(dialog);
    ASSERT_NE(done.hwnd, nullptr);
    EXPECT_EQ(done.text, L"Format complete");
    ASSERT_TRUE(AnswerDialog(done, IDOK));
    ASSERT_TRUE(WaitUntil([] { return !FormatRunning(); }));
    EXPECT_EQ(WaitForBoxOver(dialog, 300).hwnd, nullptr);
    CloseDialog(dialog);
}

TEST_F(FormatDialogTest, FormattingAnotherDriveLeavesTheListAlone) {
    OpenWindow();
    const DriveRecord second = AttachBlankDrive("second.img", 4 * kSlotSectors);
    SendVolumeChange(DBT_DEVICEARRIVAL);
    const std::vector<Row> shown = RowsOf(list);
    HWND dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    // The drive list box follows the drive list in drive-letter order.
    ASSERT_EQ(DriveLines(dialog).size(), 2u);
    EXPECT_EQ(DriveLines(dialog)[0].substr(0, 2), second.driveName);
    EXPECT_EQ(SelectedDriveLine(dialog).substr(0, 2), drive.driveName);
    ASSERT_TRUE(ChooseDrive(dialog, second.driveName));
    Click(dialog, IDC_DRIVE_QUICK);
    StartFormat(dialog, L"2");
    OpenDialog done = WaitForBoxOver(dialog);
    ASSERT_NE(done.hwnd, nullptr);
    EXPECT_EQ(done.text, L"Format complete");
    ASSERT_TRUE(AnswerDialog(done, IDOK));
    ASSERT_TRUE(WaitUntil([] { return !FormatRunning(); }));
    EXPECT_EQ(SelectedDriveLine(dialog).substr(0, 2), second.driveName);

    // The current drive changes behind the window's back; only a reload would show it.
    CopyFileOver(drivePath, referencePath);
    referenceRunner.parameters.floppyFormat = Format720K;
    referenceRunner.parameters.quickFormat = 1;
    ASSERT_EQ(RunReferenceJob(JOB_FORMAT, {5}), 0);
    CopyFileOver(referencePath, drivePath);
    CloseDialog(dialog);
    EXPECT_FALSE(JobWorkersPending());
    EXPECT_EQ(RowsOf(list), shown);

    const std::string formatted = FileBytes(dir.File("second.img"));
    EXPECT_EQ(Sector(formatted, 3071).substr(kMaxBlockOffset, 13), "MAX BLOCK:002");
    EXPECT_EQ(Sector(formatted, 2 * kSlotSectors + 3071).substr(0, 12), std::string(12, '\0'));
}

TEST_F(FormatDialogTest, TheDriveListFollowsDrivesComingAndGoing) {
    OpenWindow();
    HWND dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    const DriveRecord second = AttachBlankDrive("second.img", 2 * kSlotSectors);
    SendVolumeChange(DBT_DEVICEARRIVAL);
    ASSERT_EQ(DriveLines(dialog).size(), 2u);
    EXPECT_EQ(SelectedDriveLine(dialog).substr(0, 2), drive.driveName);
    ASSERT_TRUE(ChooseDrive(dialog, second.driveName));
    EXPECT_EQ(ComboItems(dialog), Numbers(1, 2));

    // The chosen drive goes away: nothing is chosen and nothing can be started.
    RunOnWindowThread(frame, [&] { ProcessAttachedImages().Detach(second.deviceNumber); });
    SendVolumeChange(DBT_DEVICEREMOVECOMPLETE);
    EXPECT_EQ(DriveLines(dialog).size(), 1u);
    EXPECT_EQ(SelectedDriveLine(dialog), L"");
    EXPECT_FALSE(Enabled(dialog, IDC_DRIVE_START));
    EXPECT_EQ(WindowTextOf(dialog), L"Format");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForBoxOver(dialog, 300).hwnd, nullptr);
    CloseDialog(dialog);
}

TEST_F(FormatDialogTest, NoFormatStartsWhileAJobRuns) {
    OpenWindow();
    const std::string before = FileBytes(drivePath);
    // A save that does not fit its block stops at its question, so the job keeps running.
    const std::string level(1, static_cast<char>(drive.driveName[0]));
    PutFile(uploadRoot + "/" + level + "/FLOPPY003/Too large.bin", std::string(1600000, 'x'));
    SelectRows(list, {3});
    Command(ID_BLOCK_SAVE);
    OpenDialog question = WaitForBoxOver(frame);
    ASSERT_NE(question.hwnd, nullptr);
    ASSERT_TRUE(JobWorkersPending());
    EXPECT_TRUE(WaitUntil([&] { return !MenuItemEnabled(frame, ID_DRIVE_FORMAT); }));

    // Ctrl+F still reaches the command, which opens the dialog; starting does nothing.
    HWND dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !Enabled(dialog, IDC_DRIVE_START); }));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    PostMessageW(dialog, WM_COMMAND, IDC_DRIVE_START, 0);
    EXPECT_EQ(WaitForBoxOver(dialog, 500).hwnd, nullptr);
    EXPECT_FALSE(FormatRunning());

    // Once the job has ended the dialog can start again.
    ASSERT_TRUE(AnswerDialog(question, IDCANCEL));
    ASSERT_TRUE(WaitForJobs());
    ASSERT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_DRIVE_START); }));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    OpenDialog alarm = WaitForBoxOver(dialog);
    ASSERT_NE(alarm.hwnd, nullptr);
    EXPECT_EQ(alarm.text, kAlarm);
    ASSERT_TRUE(AnswerDialog(alarm, IDCANCEL));
    CloseDialog(dialog);
    EXPECT_EQ(FileBytes(drivePath), before);
}

TEST_F(FormatDialogTest, TheBlockDialogFormatsTheSelectedBlocksWithoutAskingAndRemembers) {
    OpenWindow();
    CopyFileOver(drivePath, referencePath);
    referenceRunner.parameters.floppyFormat = Format720K;
    referenceRunner.parameters.quickFormat = 1;
    referenceRunner.parameters.dosSystem = DosNone;
    ASSERT_EQ(RunReferenceJob(JOB_FORMAT, {2, 7}), 0);

    SelectRows(list, {2, 7});
    HWND blocks = OpenBlockDialog(ID_BULK_FORMAT);
    ASSERT_NE(blocks, nullptr);
    Click(blocks, IDC_BLOCK_FORMAT_720K);
    Click(blocks, IDC_BLOCK_QUICK);
    PostMessageW(blocks, WM_COMMAND, IDC_BLOCK_START, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(blocks); }));
    // The only box is the job's report.
    OpenDialog done = WaitForBoxOver(frame);
    ASSERT_NE(done.hwnd, nullptr);
    EXPECT_EQ(done.text, L"Format complete");
    ASSERT_TRUE(AnswerDialog(done, IDOK));
    ASSERT_TRUE(WaitForJobs());
    EXPECT_TRUE(FileBytes(drivePath) == FileBytes(referencePath)) << "the window's block format differs";
    EXPECT_EQ(RowsOf(list)[7][1], L"713.0 KB");

    blocks = OpenBlockDialog(ID_BLOCK_FORMAT);
    ASSERT_NE(blocks, nullptr);
    EXPECT_TRUE(Checked(blocks, IDC_BLOCK_FORMAT_720K));
    EXPECT_TRUE(Checked(blocks, IDC_BLOCK_QUICK));
    PostMessageW(blocks, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(blocks); }));
    EXPECT_EQ(CloseWindow(), 1);
    EXPECT_EQ(StoredValue(L"format_fdd_dlg", L"LastFormatType"), 3u);
    EXPECT_EQ(StoredValue(L"format_fdd_dlg", L"QuickFormat"), 1u);
}

TEST_F(FormatDialogTest, ScreenshotsOfBothDialogsIdleAndWhileFormatting) {
    OpenWindow();
    SetCursorPos(1000, 740);
    HWND dialog = OpenFormatDialog();
    ASSERT_NE(dialog, nullptr);
    SaveScreenshot(dialog, "format-drive-dialog.png");

    // The format is held after its second block of five while the picture is taken.
    HoldFormatAt(dialog, 2);
    Click(dialog, IDC_DRIVE_QUICK);
    StartFormat(dialog, L"5");
    ASSERT_TRUE(WaitUntil([&] { return formatHeld_.load(); }));
    EXPECT_EQ(WindowTextOf(dialog), L"Format [" + drive.driveName + L"] - 2/5");
    EXPECT_TRUE(Visible(dialog, IDC_DRIVE_PROGRESS));
    SaveScreenshot(dialog, "format-drive-dialog-formatting.png");
    formatReleased_ = true;
    OpenDialog done = WaitForBoxOver(dialog);
    ASSERT_NE(done.hwnd, nullptr);
    ASSERT_TRUE(AnswerDialog(done, IDOK));
    ASSERT_TRUE(WaitUntil([] { return !FormatRunning(); }));
    CloseDialog(dialog);
    ASSERT_TRUE(WaitForJobs());

    SelectRows(list, {1});
    HWND blocks = OpenBlockDialog(ID_BLOCK_FORMAT);
    ASSERT_NE(blocks, nullptr);
    SaveScreenshot(blocks, "format-block-dialog.png");
    PostMessageW(blocks, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(blocks); }));
}

}  // namespace

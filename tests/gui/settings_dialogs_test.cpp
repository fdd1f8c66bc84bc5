// The settings dialog and the About box, each run modally over an owner window of its own on a
// thread of the test, the way the main window runs them: the settings shown from and stored into
// the program's block manager, the path rules with their warnings and system error texts, the
// folder browser, the web buttons (Explorer starts recorded instead of made), and pictures of
// both dialogs under the build tree's artifacts/.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <atomic>
#include <cwchar>
#include <cwctype>
#include <mutex>
#include <thread>
#include <vector>

#include "blocks/block_manager.h"
#include "disk/wide_path.h"
#include "main_window_fixture.h"
#include "screenshot.h"
#include "support/temp_dir.h"
#include "tests/settings/test_store.h"
#include "ui/about_dialog.h"
#include "ui/explorer.h"
#include "ui/program_core.h"
#include "ui/resource.h"
#include "ui/settings_dialog.h"
#include "window_probe.h"

namespace {
const wchar_t kAppTitle[] = L"[Tanvale] Slotwise";
const RECT kOwnerRect = {120, 60, 120 + 700, 60 + 600};

std::mutex startsMutex;
std::vector<std::wstring> starts;

bool RecordStart(const std::wstring& commandLine) {
    std::lock_guard<std::mutex> lock(startsMutex);
    starts.push_back(commandLine);
    return true;
}

bool RefuseStart(const std::wstring& commandLine) {
    RecordStart(commandLine);
    return false;
}

std::vector<std::wstring> Starts() {
    std::lock_guard<std::mutex> lock(startsMutex);
    return starts;
}

// The system's own text for an error code, as FormatMessageW gives it, without the line break.
std::wstring SystemText(DWORD code) {
    wchar_t text[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, 512, nullptr);
    std::wstring result = text;
    while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r'))
        result.pop_back();
    return result;
}

std::wstring Backslashed(const std::string& path) {
    std::wstring wide = WideFromUtf8(path);
    for (wchar_t& c : wide) {
        if (c == L'/') c = L'\\';
    }
    return wide;
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

struct OwnedSearch {
    HWND owner;
    HWND found = nullptr;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<OwnedSearch*>(param);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    if (GetWindow(window, GW_OWNER) != search->owner) return TRUE;
    search->found = window;
    return FALSE;
}

// A dialog-class window (a message box, the folder browser) over owner; null when none came.
HWND WaitForOwnedDialog(HWND owner, int timeoutMs = 10000) {
    OwnedSearch search{owner};
    WaitUntil(
        [&] {
            search.found = nullptr;
            EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

// The name of the folder selected in the folder browser's tree; empty while it has none.
std::wstring SelectedFolderName(HWND browser) {
    HWND tree = FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
    if (!tree) return std::wstring();
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return std::wstring();
    wchar_t text[MAX_PATH] = {};
    TVITEMW entry = {};
    entry.mask = TVIF_TEXT;
    entry.hItem = item;
    entry.pszText = text;
    entry.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&entry));
    return text;
}

// The browser has gone to the folder it starts on, which Wine may do a moment after it shows.
bool WaitForBrowserAt(HWND browser, const std::wstring& path) {
    const std::wstring leaf = path.substr(path.find_last_of(L'\\') + 1);
    return WaitUntil([&] { return _wcsicmp(SelectedFolderName(browser).c_str(), leaf.c_str()) == 0; });
}

struct TextSearch {
    std::wstring wanted;
    bool found = false;
};

BOOL CALLBACK FindChildText(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TextSearch*>(param);
    if (WindowTextOf(window) != search->wanted) return TRUE;
    search->found = true;
    return FALSE;
}

bool HasChildWithText(HWND window, const std::wstring& text) {
    TextSearch search{text};
    EnumChildWindows(window, FindChildText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// One modal dialog run on a thread of its own over a plain owner window made there, as the main
// window's thread runs it.
class DialogThread {
public:
    explicit DialogThread(void (*run)(HWND owner)) {
        thread_ = std::thread([this, run] {
            CoInitialize(nullptr);
            HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, kOwnerRect.left,
                                         kOwnerRect.top, kOwnerRect.right - kOwnerRect.left,
                                         kOwnerRect.bottom - kOwnerRect.top, nullptr, nullptr, nullptr, nullptr);
            owner_ = owner;
            run(owner);
            DestroyWindow(owner);
            CoUninitialize();
            ended_ = true;
        });
    }

    ~DialogThread() {
        // Whatever a failed test left open: boxes and browsers first, then the dialog.
        while (!ended_) {
            OpenDialog open = WaitForDialog(200);
            if (open.hwnd) PostMessageW(open.hwnd, WM_COMMAND, GetDlgItem(open.hwnd, 0xFFFF) ? IDOK : IDCANCEL, 0);
            Sleep(50);
        }
        thread_.join();
    }

    HWND owner() const { return owner_; }
    bool ended() const { return ended_; }
    // Waits until the dialog is over.
    bool WaitForEnd() {
        return WaitUntil([this] { return ended_.load(); });
    }

private:
    std::thread thread_;
    std::atomic<HWND> owner_{nullptr};
    std::atomic<bool> ended_{false};
};

class DialogTestBase : public ::testing::Test {
protected:
    DialogTestBase() {
        // The first use of the program's objects reads the settings from here.
        UseProgramSettings(store.store().location());
        Program().settings = store.store();
    }

    void SetUp() override {
        {
            std::lock_guard<std::mutex> lock(startsMutex);
            starts.clear();
        }
        SetProcessStarter(RecordStart);
    }

    void TearDown() override { SetProcessStarter(nullptr); }

    // Starts run on its thread and waits for its dialog with the caption given.
    HWND Open(void (*run)(HWND), const std::wstring& caption) {
        thread_ = std::make_unique<DialogThread>(run);
        if (!WaitUntil([&] { return thread_->owner() != nullptr; })) return nullptr;
        HWND dialog = WaitForOwnedDialog(thread_->owner());
        return dialog && WindowTextOf(dialog) == caption ? dialog : nullptr;
    }

    TempDir dir;
    TestStore store;
    std::unique_ptr<DialogThread> thread_;
};

class SettingsDialogTest : public DialogTestBase {
protected:
    void SetUp() override {
        DialogTestBase::SetUp();
        upload = Backslashed(dir.File("up"));
        backup = Backslashed(dir.File("bak"));
        CreateDirectoryW(upload.c_str(), nullptr);
        CreateDirectoryW(backup.c_str(), nullptr);
        BlockManager& blocks = Program().blocks;
        SetField(blocks.savePath, upload);
        SetField(blocks.backupPath, backup);
        blocks.fileExistMode = 0;
        blocks.dirDelAllFile = 1;
        blocks.readOpenDirBit = 1;
        blocks.loadOpenDirBit = 1;
        blocks.busy = 0;
    }

    void TearDown() override {
        thread_.reset();
        Program().blocks.busy = 0;
        DialogTestBase::TearDown();
    }

    static void SetField(wchar_t (&field)[kPathChars], const std::wstring& text) {
        std::wcsncpy(field, text.c_str(), kPathChars - 1);
        field[kPathChars - 1] = L'\0';
    }

    HWND OpenSettings() { return Open(RunSettingsDialog, L"Set"); }

    HWND Control(int id) const { return GetDlgItem(dialog, id); }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
    bool Ticked(int id) const { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::wstring Text(int id) const { return WindowTextOf(Control(id)); }
    void Type(int id, const std::wstring& text) {
        SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    // A click on a box or radio button, as the user makes it.
    void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
    bool WaitForOk(bool enabled) {
        return WaitUntil([&] { return Enabled(IDOK) == enabled; });
    }
    // Presses OK once the timer has enabled it; the dialog may then close or show a box.
    void PressOk() {
        ASSERT_TRUE(WaitForOk(true));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
    // The message box over the dialog: its text, answered with OK.
    std::wstring AnswerBox() {
        HWND box = WaitForOwnedDialog(dialog);
        if (!box) return L"(no box)";
        EXPECT_EQ(WindowTextOf(box), kAppTitle);
        const std::wstring text = WindowTextOf(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
        return text;
    }
    bool StillOpen() const { return !thread_->ended() && IsWindowVisible(dialog); }

    std::wstring upload;
    std::wstring backup;
    HWND dialog = nullptr;
};

TEST_F(SettingsDialogTest, OpensWithTheStoredSettingsCentredOverItsOwner) {
    BlockManager& blocks = Program().blocks;
    blocks.fileExistMode = 1;
    blocks.dirDelAllFile = 0;
    blocks.readOpenDirBit = 1;
    blocks.loadOpenDirBit = 0;
    dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(Text(IDC_UPLOAD_PATH), upload);
    EXPECT_EQ(Text(IDC_BACKUP_PATH), backup);
    EXPECT_TRUE(Ticked(IDC_EXIST_RENAME));
    EXPECT_FALSE(Ticked(IDC_EXIST_OVERWRITE));
    EXPECT_FALSE(Ticked(IDC_CLEAR_UPLOAD_DIRECTORY));
    EXPECT_TRUE(Ticked(IDC_EXPLORER_AFTER_OPEN));
    EXPECT_FALSE(Ticked(IDC_EXPLORER_AFTER_LOAD));
    for (int id : {IDC_UPLOAD_PATH, IDC_UPLOAD_BROWSE, IDC_BACKUP_PATH, IDC_BACKUP_BROWSE})
        EXPECT_TRUE(Enabled(id));

    EXPECT_EQ(GetWindow(dialog, GW_OWNER), thread_->owner());
    RECT rect = {};
    GetWindowRect(dialog, &rect);
    EXPECT_NEAR((rect.left + rect.right) / 2, (kOwnerRect.left + kOwnerRect.right) / 2, 1);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, (kOwnerRect.top + kOwnerRect.bottom) / 2, 1);
}

TEST_F(SettingsDialogTest, OpensWithTheOtherChoicesTicked) {
    BlockManager& blocks = Program().blocks;
    blocks.fileExistMode = 0;
    blocks.dirDelAllFile = 1;
    blocks.readOpenDirBit = 0;
    blocks.loadOpenDirBit = 7;  // any value but 0 ticks it
    dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(Ticked(IDC_EXIST_OVERWRITE));
    EXPECT_FALSE(Ticked(IDC_EXIST_RENAME));
    EXPECT_TRUE(Ticked(IDC_CLEAR_UPLOAD_DIRECTORY));
    EXPECT_FALSE(Ticked(IDC_EXPLORER_AFTER_OPEN));
    EXPECT_TRUE(Ticked(IDC_EXPLORER_AFTER_LOAD));
}

TEST_F(SettingsDialogTest, OkStaysDisabledUntilSomethingDiffersAndAgainWhenItIsChangedBack) {
    dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(Enabled(IDOK));
    // Several timer ticks later nothing differs yet.
    Sleep(400);
    EXPECT_FALSE(Enabled(IDOK));

    Click(IDC_EXIST_RENAME);
    EXPECT_TRUE(WaitForOk(true));
    Click(IDC_EXIST_OVERWRITE);
    EXPECT_TRUE(WaitForOk(false));

    Click(IDC_EXPLORER_AFTER_LOAD);
    EXPECT_TRUE(WaitForOk(true));
    Click(IDC_EXPLORER_AFTER_LOAD);
    EXPECT_TRUE(WaitForOk(false));

    // Paths are compared exactly, letter case included.
    std::wstring upper = upload;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(towupper(c));
    ASSERT_NE(upper, upload);
    Type(IDC_UPLOAD_PATH, upper);
    EXPECT_TRUE(WaitForOk(true));
    Type(IDC_UPLOAD_PATH, upload);
    EXPECT_TRUE(WaitForOk(false));
    Type(IDC_BACKUP_PATH, backup + L"\\");
    EXPECT_TRUE(WaitForOk(true));
}

TEST_F(SettingsDialogTest, OkStoresTheOptionsAndLeavesOtherFieldsAsTheyAre) {
    BlockManager& blocks = Program().blocks;
    blocks.keepFileInfo = 1;
    dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    Click(IDC_EXIST_RENAME);
    Click(IDC_CLEAR_UPLOAD_DIRECTORY);
    Click(IDC_EXPLORER_AFTER_OPEN);
    PressOk();
    ASSERT_TRUE(thread_->WaitForEnd());
    EXPECT_EQ(blocks.fileExistMode, 1);
    EXPECT_EQ(blocks.dirDelAllFile, 0);
    EXPECT_EQ(blocks.readOpenDirBit, 0);
    EXPECT_EQ(blocks.loadOpenDirBit, 1);
    EXPECT_EQ(blocks.keepFileInfo, 1);
    EXPECT_EQ(std::wstring(blocks.savePath), upload);
    EXPECT_EQ(std::wstring(blocks.backupPath), backup);
}

TEST_F(SettingsDialogTest, TheDriveRootIsAcceptedAndStoredWithoutItsBackslash) {
    dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    Type(IDC_UPLOAD_PATH, L"C:\\");
    PressOk();
    ASSERT_TRUE(thread_->WaitForEnd());
    EXPECT_EQ(std::wstring(Program().blocks.savePath), L"C:");
    EXPECT_EQ(std::wstring(Program().blocks.backupPath), backup);
}

TEST_F(SettingsDialogTest, ARelativePathIsRefusedAndTheDialogStaysWithTheText) {
    dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    Type(IDC_UPLOAD_PATH, L"DISK");
    Click(IDC_EXIST_RENAME);
    PressOk();
    EXPECT_EQ(AnswerBox(), L"Path error, please input again");
    EXPECT_TRUE(StillOpen());
    EXPECT_EQ(Text(IDC_UPLOAD_PATH), L"DISK");
    EXPECT_EQ(std::wstring(Program().blocks.savePath), upload);
    EXPECT_EQ(Program().blocks.fileExistMode, 0);
    EXPECT_FALSE(IsDirectory(L"DISK"));
}

TEST_F(SettingsDialogTest, ANewNestedDirectoryIsMadeLevelByLevelAndStored) {
    const std::wstring nested = Backslashed(dir.File("new/upload/root"));
    const std::wstring nestedBackup = Backslashed(dir.File("new/backup"));
    dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    Type(IDC_UPLOAD_PATH, nested + L"\\");
    Type(IDC_BACKUP_PATH, nestedBackup);
    PressOk();
    ASSERT_TRUE(thread_->WaitForEnd());
    EXPECT_TRUE(IsDirectory(nested));
    EXPECT_TRUE(IsDirectory(nestedBackup));
    EXPECT_EQ(std::wstring(Program().blocks.savePath), nested);
    EXPECT_EQ(std::wstring(Program().blocks.backupPath), nestedBackup);
}

TEST_F(SettingsDialogTest, AFileInTheWayGivesTheSystemErrorUnderThePath) {
    WriteWholeFile(dir.File("blocker"), "not a folder");
    const std::wstring path = Backslashed(dir.File("blocker/sub"));
    dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    Type(IDC_UPLOAD_PATH, path);
    PressOk();
    EXPECT_EQ(AnswerBox(), path + L"\n" + SystemText(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(StillOpen());
    EXPECT_EQ(Text(IDC_UPLOAD_PATH), path);
    EXPECT_EQ(std::wstring(Program().blocks.savePath), upload);
}

TEST_F(SettingsDialogTest, AMissingDriveGivesTheSystemErrorUnderThePath) {
    const std::wstring path = L"Q:\\floppies";
    ASSERT_EQ(GetDriveTypeW(L"Q:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    // The system names the failure itself (Windows and Wine choose different codes for it).
    ASSERT_FALSE(CreateDirectoryW(path.c_str(), nullptr));
    const DWORD error = GetLastError();
    ASSERT_NE(error, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ASSERT_NE(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    Type(IDC_BACKUP_PATH, path);
    PressOk();
    EXPECT_EQ(AnswerBox(), path + L"\n" + SystemText(error));
    EXPECT_TRUE(StillOpen());
    EXPECT_EQ(std::wstring(Program().blocks.backupPath), backup);
}

TEST_F(SettingsDialogTest, AFailingBackupDirectoryLeavesTheUploadDirectoryAndOptionsStored) {
    const std::wstring newUpload = Backslashed(dir.File("up2"));
    dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    Type(IDC_UPLOAD_PATH, newUpload);
    Type(IDC_BACKUP_PATH, L"DISKBAK");
    Click(IDC_EXIST_RENAME);
    Click(IDC_EXPLORER_AFTER_LOAD);
    PressOk();
    EXPECT_EQ(AnswerBox(), L"Path error, please input again");
    EXPECT_TRUE(StillOpen());
    BlockManager& blocks = Program().blocks;
    EXPECT_EQ(std::wstring(blocks.savePath), newUpload);
    EXPECT_TRUE(IsDirectory(newUpload));
    EXPECT_EQ(blocks.fileExistMode, 1);
    EXPECT_EQ(blocks.loadOpenDirBit, 0);
    EXPECT_EQ(std::wstring(blocks.backupPath), backup);

    // Cancel now takes back nothing of what OK stored.
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(thread_->WaitForEnd());
    EXPECT_EQ(std::wstring(blocks.savePath), newUpload);
    EXPECT_EQ(std::wstring(blocks.backupPath), backup);
}

TEST_F(SettingsDialogTest, DirectoriesAreDisabledWhileAJobRunsAndTheOptionsStillChange) {
    Program().blocks.busy = 1;
    dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    for (int id : {IDC_UPLOAD_PATH, IDC_UPLOAD_BROWSE, IDC_BACKUP_PATH, IDC_BACKUP_BROWSE})
        EXPECT_FALSE(Enabled(id));
    for (int id : {IDC_EXIST_OVERWRITE, IDC_EXIST_RENAME, IDC_CLEAR_UPLOAD_DIRECTORY, IDC_EXPLORER_AFTER_OPEN,
                   IDC_EXPLORER_AFTER_LOAD, IDCANCEL})
        EXPECT_TRUE(Enabled(id));
    Click(IDC_CLEAR_UPLOAD_DIRECTORY);
    PressOk();
    ASSERT_TRUE(thread_->WaitForEnd());
    EXPECT_EQ(Program().blocks.dirDelAllFile, 0);
    EXPECT_EQ(std::wstring(Program().blocks.savePath), upload);
    EXPECT_EQ(std::wstring(Program().blocks.backupPath), backup);
}

TEST_F(SettingsDialogTest, BothBrowseButtonsShowTheUploadCaptionAndCancellingChangesNothing) {
    dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    for (int button : {IDC_UPLOAD_BROWSE, IDC_BACKUP_BROWSE}) {
        SCOPED_TRACE(button);
        PostMessageW(dialog, WM_COMMAND, button, 0);
        HWND browser = WaitForOwnedDialog(dialog);
        ASSERT_TRUE(browser);
        EXPECT_TRUE(HasChildWithText(browser, L"Select file upload directory"));
        PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(browser); }));
    }
    EXPECT_EQ(Text(IDC_UPLOAD_PATH), upload);
    EXPECT_EQ(Text(IDC_BACKUP_PATH), backup);
    Sleep(300);
    EXPECT_FALSE(Enabled(IDOK));
}

TEST_F(SettingsDialogTest, TheBrowserStartsOnTheStoredDirectoryNotOnTheTypedText) {
    dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    Type(IDC_BACKUP_PATH, L"C:\\");
    PostMessageW(dialog, WM_COMMAND, IDC_BACKUP_BROWSE, 0);
    HWND browser = WaitForOwnedDialog(dialog);
    ASSERT_TRUE(browser);
    ASSERT_TRUE(WaitForBrowserAt(browser, backup)) << SelectedFolderName(browser);
    // Taking the browser's selection as it opened puts the stored directory back into the box.
    PostMessageW(browser, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(browser); }));
    EXPECT_TRUE(WaitUntil([&] { return _wcsicmp(Text(IDC_BACKUP_PATH).c_str(), backup.c_str()) == 0; }))
        << Text(IDC_BACKUP_PATH);
}

TEST_F(SettingsDialogTest, AFolderPickedInTheBrowserIsTypedInAndStoredOnOk) {
    const std::wstring picked = Backslashed(dir.File("picked"));
    ASSERT_TRUE(CreateDirectoryW(picked.c_str(), nullptr));
    dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    PostMessageW(dialog, WM_COMMAND, IDC_UPLOAD_BROWSE, 0);
    HWND browser = WaitForOwnedDialog(dialog);
    ASSERT_TRUE(browser);
    ASSERT_TRUE(WaitForBrowserAt(browser, upload)) << SelectedFolderName(browser);
    // The user walks the tree to the folder; the browser's own message goes there directly.
    SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(picked.c_str()));
    PostMessageW(browser, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(browser); }));
    ASSERT_TRUE(WaitUntil([&] { return _wcsicmp(Text(IDC_UPLOAD_PATH).c_str(), picked.c_str()) == 0; }))
        << Text(IDC_UPLOAD_PATH);
    const std::wstring shown = Text(IDC_UPLOAD_PATH);
    PressOk();
    ASSERT_TRUE(thread_->WaitForEnd());
    EXPECT_EQ(std::wstring(Program().blocks.savePath), shown);
    EXPECT_EQ(std::wstring(Program().blocks.backupPath), backup);
}

TEST_F(SettingsDialogTest, CancelEscapeAndTheCloseBoxChangeNothing) {
    const std::wstring elsewhere = Backslashed(dir.File("elsewhere"));
    for (UINT message : {static_cast<UINT>(WM_COMMAND), static_cast<UINT>(WM_CLOSE)}) {
        dialog = OpenSettings();
        ASSERT_TRUE(dialog);
        Type(IDC_UPLOAD_PATH, elsewhere);
        Type(IDC_BACKUP_PATH, elsewhere);
        Click(IDC_EXIST_RENAME);
        Click(IDC_CLEAR_UPLOAD_DIRECTORY);
        Click(IDC_EXPLORER_AFTER_OPEN);
        Click(IDC_EXPLORER_AFTER_LOAD);
        ASSERT_TRUE(WaitForOk(true));
        if (message == WM_COMMAND) {
            // IDCANCEL is what the Cancel button and the Esc key both send.
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        } else {
            PostMessageW(dialog, WM_CLOSE, 0, 0);
        }
        ASSERT_TRUE(thread_->WaitForEnd());
        thread_.reset();
        const BlockManager& blocks = Program().blocks;
        EXPECT_EQ(std::wstring(blocks.savePath), upload);
        EXPECT_EQ(std::wstring(blocks.backupPath), backup);
        EXPECT_EQ(blocks.fileExistMode, 0);
        EXPECT_EQ(blocks.dirDelAllFile, 1);
        EXPECT_EQ(blocks.readOpenDirBit, 1);
        EXPECT_EQ(blocks.loadOpenDirBit, 1);
        EXPECT_FALSE(IsDirectory(elsewhere));
    }
}

TEST_F(SettingsDialogTest, Screenshot) {
    Program().blocks.fileExistMode = 1;
    Program().blocks.readOpenDirBit = 0;
    dialog = OpenSettings();
    ASSERT_TRUE(dialog);
    Type(IDC_UPLOAD_PATH, L"C:\\Floppies\\upload");
    ASSERT_TRUE(WaitForOk(true));
    SaveScreenshot(dialog, "settings-dialog.png");
}

class AboutDialogTest : public DialogTestBase {
protected:
    void TearDown() override {
        thread_.reset();
        DialogTestBase::TearDown();
    }
    HWND OpenAbout() { return Open(RunAboutDialog, L"About"); }
};

TEST_F(AboutDialogTest, ShowsTheNameVersionAndBothAddressesCentredOverItsOwner) {
    HWND dialog = OpenAbout();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDC_ABOUT_NAME)), L"[Tanvale] Slotwise V1.40");
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDC_ABOUT_VISIT_FIRST)), L"Visit www.tanvale.example");
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDC_ABOUT_VISIT_SECOND)), L"Visit help.tanvale.example.org");
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDOK)), L"OK");
    // Enter closes the box: the focus starts on OK, not on a web button.
    GUITHREADINFO focus = {};
    focus.cbSize = sizeof(focus);
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &focus));
    EXPECT_EQ(focus.hwndFocus, GetDlgItem(dialog, IDOK));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), thread_->owner());
    RECT rect = {};
    GetWindowRect(dialog, &rect);
    EXPECT_NEAR((rect.left + rect.right) / 2, (kOwnerRect.left + kOwnerRect.right) / 2, 1);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, (kOwnerRect.top + kOwnerRect.bottom) / 2, 1);
}

TEST_F(AboutDialogTest, TheWebButtonsStartExplorerOnTheirAddressAndTheBoxStays) {
    HWND dialog = OpenAbout();
    ASSERT_TRUE(dialog);
    PostMessageW(GetDlgItem(dialog, IDC_ABOUT_VISIT_FIRST), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([] { return Starts().size() == 1; }));
    PostMessageW(GetDlgItem(dialog, IDC_ABOUT_VISIT_SECOND), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([] { return Starts().size() == 2; }));
    EXPECT_EQ(Starts()[0], L"explorer.exe http://www.tanvale.example");
    EXPECT_EQ(Starts()[1], L"explorer.exe http://help.tanvale.example.org");
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_FALSE(thread_->ended());

    // A browser that cannot start is passed over in silence.
    SetProcessStarter(RefuseStart);
    PostMessageW(GetDlgItem(dialog, IDC_ABOUT_VISIT_FIRST), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([] { return Starts().size() == 3; }));
    EXPECT_EQ(WaitForOwnedDialog(dialog, 500), nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(thread_->WaitForEnd());
}

TEST_F(AboutDialogTest, OkEscapeAndTheCloseBoxCloseIt) {
    const UINT messages[] = {WM_COMMAND, WM_COMMAND, WM_CLOSE};
    const WPARAM params[] = {IDOK, IDCANCEL, 0};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        HWND dialog = OpenAbout();
        ASSERT_TRUE(dialog);
        PostMessageW(dialog, messages[i], params[i], 0);
        EXPECT_TRUE(thread_->WaitForEnd());
        thread_.reset();
    }
    EXPECT_TRUE(Starts().empty());
}

TEST_F(AboutDialogTest, Screenshot) {
    HWND dialog = OpenAbout();
    ASSERT_TRUE(dialog);
    SaveScreenshot(dialog, "about-dialog.png");
}

// The commands of the main window open both dialogs over it.
class SettingsDialogFromTheWindow : public MainWindowTest {};

TEST_F(SettingsDialogFromTheWindow, SetAndAboutCommandsOpenTheDialogsOverTheWindow) {
    OpenWindow();
    Command(ID_OPTION_SET);
    OpenDialog set = WaitForDialog();
    ASSERT_TRUE(set.hwnd);
    EXPECT_EQ(set.caption, L"Set");
    EXPECT_EQ(set.owner, frame);
    EXPECT_EQ(WindowTextOf(GetDlgItem(set.hwnd, IDC_UPLOAD_PATH)), std::wstring(Program().blocks.savePath));
    EXPECT_EQ(WindowTextOf(GetDlgItem(set.hwnd, IDC_BACKUP_PATH)), std::wstring(Program().blocks.backupPath));
    ASSERT_TRUE(AnswerDialog(set, IDCANCEL));

    Command(ID_APP_ABOUT);
    OpenDialog about = WaitForDialog();
    ASSERT_TRUE(about.hwnd);
    EXPECT_EQ(about.caption, L"About");
    EXPECT_EQ(about.owner, frame);
    ASSERT_TRUE(AnswerDialog(about, IDOK));
}

}  // namespace

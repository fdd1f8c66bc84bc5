// The settings dialog: two root directories with browse buttons, the existing-file choice and
// three option boxes. OK is enabled only while the controls differ from the stored settings.
#include "ui/settings_dialog.h"

#include <cwchar>
#include <string>

#include "app/app_module.h"
#include "app/message_box.h"
#include "app/texts.h"
#include "ui/folder_browser.h"
#include "ui/program_core.h"
#include "ui/resource.h"
#include "ui/settings_paths.h"

namespace {
constexpr int kTextPathError = 61420;
constexpr int kTextSelectFolder = 61421;
constexpr UINT_PTR kCompareTimer = 1;
constexpr UINT kCompareMs = 100;

// The four option values as the controls show them.
struct Options {
    int32_t fileExistMode = 0;
    int32_t dirDelAllFile = 0;
    int32_t readOpenDirBit = 0;
    int32_t loadOpenDirBit = 0;
};

class SettingsDialog {
public:
    SettingsDialog(BlockManager& blocks, PcFileSystem& pc) : blocks_(blocks), pc_(pc) {}

    void Run(HWND owner) {
        DialogBoxParamW(appInstance, MAKEINTRESOURCEW(IDD_SETTINGS), owner, Proc, reinterpret_cast<LPARAM>(this));
    }

private:
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            reinterpret_cast<SettingsDialog*>(lParam)->Open(dialog);
            return TRUE;
        }
        auto* self = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (!self) return FALSE;
        switch (message) {
            case WM_TIMER:
                if (wParam == kCompareTimer) self->EnableOkWhenChanged();
                return TRUE;
            case WM_COMMAND: self->Command(LOWORD(wParam)); return TRUE;
            case WM_DESTROY: KillTimer(dialog, kCompareTimer); return FALSE;
            default: return FALSE;
        }
    }

    void Open(HWND dialog) {
        hwnd_ = dialog;
        SetDlgItemTextW(hwnd_, IDC_UPLOAD_PATH, blocks_.savePath);
        SetDlgItemTextW(hwnd_, IDC_BACKUP_PATH, blocks_.backupPath);
        CentreWindowOver(hwnd_, GetWindow(hwnd_, GW_OWNER));
        // A running job reads the directories; they stay as they are until it ends.
        const BOOL directories = blocks_.busy == 1 ? FALSE : TRUE;
        for (int id : {IDC_UPLOAD_PATH, IDC_UPLOAD_BROWSE, IDC_BACKUP_PATH, IDC_BACKUP_BROWSE})
            EnableWindow(GetDlgItem(hwnd_, id), directories);
        EnableWindow(GetDlgItem(hwnd_, IDOK), FALSE);
        const int exist = blocks_.fileExistMode != 0 ? IDC_EXIST_RENAME : IDC_EXIST_OVERWRITE;
        CheckRadioButton(hwnd_, IDC_EXIST_OVERWRITE, IDC_EXIST_RENAME, exist);
        CheckDlgButton(hwnd_, IDC_CLEAR_UPLOAD_DIRECTORY, blocks_.dirDelAllFile == 1 ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(hwnd_, IDC_EXPLORER_AFTER_OPEN, blocks_.readOpenDirBit != 0 ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(hwnd_, IDC_EXPLORER_AFTER_LOAD, blocks_.loadOpenDirBit != 0 ? BST_CHECKED : BST_UNCHECKED);
        SetTimer(hwnd_, kCompareTimer, kCompareMs, nullptr);
    }

    void Command(int id) {
        switch (id) {
            case IDC_UPLOAD_BROWSE: Browse(IDC_UPLOAD_PATH, blocks_.savePath); return;
            case IDC_BACKUP_BROWSE: Browse(IDC_BACKUP_PATH, blocks_.backupPath); return;
            case IDOK: Accept(); return;
            case IDCANCEL: EndDialog(hwnd_, IDCANCEL); return;
            default: return;
        }
    }

    std::wstring Text(int id) const {
        wchar_t text[kPathChars] = {};
        GetDlgItemTextW(hwnd_, id, text, kPathChars);
        return text;
    }

    bool Ticked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }

    void ReadOptions() {
        options_.fileExistMode = Ticked(IDC_EXIST_RENAME) ? 1 : 0;
        options_.dirDelAllFile = Ticked(IDC_CLEAR_UPLOAD_DIRECTORY) ? 1 : 0;
        options_.readOpenDirBit = Ticked(IDC_EXPLORER_AFTER_OPEN) ? 1 : 0;
        options_.loadOpenDirBit = Ticked(IDC_EXPLORER_AFTER_LOAD) ? 1 : 0;
    }

    void EnableOkWhenChanged() {
        ReadOptions();
        const bool changed =
            Text(IDC_UPLOAD_PATH) != blocks_.savePath || Text(IDC_BACKUP_PATH) != blocks_.backupPath ||
            options_.fileExistMode != blocks_.fileExistMode || options_.dirDelAllFile != blocks_.dirDelAllFile ||
            options_.readOpenDirBit != blocks_.readOpenDirBit || options_.loadOpenDirBit != blocks_.loadOpenDirBit;
        EnableWindow(GetDlgItem(hwnd_, IDOK), changed ? TRUE : FALSE);
    }

    // The browser starts on the stored directory, whatever the box holds meanwhile.
    void Browse(int edit, const wchar_t* stored) {
        std::wstring chosen;
        if (!BrowseForFolder(hwnd_, TextById(kTextSelectFolder), stored, &chosen)) return;
        SetDlgItemTextW(hwnd_, edit, chosen.c_str());
        EnableWindow(GetDlgItem(hwnd_, IDOK), TRUE);
    }

    // A directory the copies can use; otherwise the user is told why and the dialog stays.
    bool Usable(const std::wstring& path) {
        if (!HasDriveColon(path)) {
            ShowMessage(kTextPathError, MB_ICONEXCLAMATION | MB_OK, hwnd_);
            return false;
        }
        if (MakeRootDirectory(pc_, path)) return true;
        ShowSystemError(path.c_str(), hwnd_);
        return false;
    }

    static void Store(wchar_t (&field)[kPathChars], const std::wstring& path) {
        const std::wstring kept = WithoutTrailingBackslash(path);
        std::wcsncpy(field, kept.c_str(), kPathChars - 1);
        field[kPathChars - 1] = L'\0';
    }

    // The upload directory and the options are kept even when the backup directory fails.
    void Accept() {
        const std::wstring upload = Text(IDC_UPLOAD_PATH);
        if (!Usable(upload)) return;
        Store(blocks_.savePath, upload);
        ReadOptions();
        blocks_.fileExistMode = options_.fileExistMode;
        blocks_.dirDelAllFile = options_.dirDelAllFile;
        blocks_.readOpenDirBit = options_.readOpenDirBit;
        blocks_.loadOpenDirBit = options_.loadOpenDirBit;
        const std::wstring backup = Text(IDC_BACKUP_PATH);
        if (!Usable(backup)) return;
        Store(blocks_.backupPath, backup);
        EndDialog(hwnd_, IDOK);
    }

    BlockManager& blocks_;
    PcFileSystem& pc_;
    HWND hwnd_ = nullptr;
    Options options_;
};
}  // namespace

void RunSettingsDialog(HWND owner) {
    ProgramCore& program = Program();
    SettingsDialog dialog(program.blocks, program.pc);
    dialog.Run(owner);
}

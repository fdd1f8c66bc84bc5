// MainFrame and its panes: the tree's and list's notifications and context menus, drives coming
// and going, the title, the 300 ms timer with the command states, the status bar summary, the
// hover tips and the menu prompts.
#include "ui/main_frame.h"

#include "app/app_module.h"
#include "app/message_box.h"
#include "app/texts.h"
#include "disk/drive_discovery.h"
#include "disk/drive_list.h"
#include "ui/command_prompts.h"
#include "ui/drive_probe.h"
#include "ui/job_threads.h"
#include "ui/program_core.h"
#include "ui/resource.h"
#include "ui/view_texts.h"

namespace {
// The menu bar's popups, by position.
constexpr int kDriveMenu = 1;
constexpr int kSingleMenu = 2;
constexpr int kBulkMenu = 3;
constexpr int kStatusChars = 255;

// The probe that refuses such a stick fails no call: there is no system error to show with it.
void ShowLargeSectorDrive(const LargeSectorDrive& drive) {
    ShowMessage(LargeSectorText(drive), MB_ICONEXCLAMATION | MB_OK);
}
}  // namespace

LRESULT MainFrame::OnNotify(NMHDR* header) {
    if (header->hwndFrom == tree_.hwnd) {
        switch (header->code) {
            case TVN_SELCHANGEDW: OnTreeSelectionChanged(reinterpret_cast<NMTREEVIEWW*>(header)->itemNew.hItem); break;
            case NM_DBLCLK:
                if (!tree_.DriveKey(tree_.Selected()).empty()) SendMessageW(hwnd_, WM_COMMAND, ID_DRIVE_FORMAT, 0);
                break;
            case NM_RCLICK: ShowPopup(kDriveMenu); return TRUE;
            default: break;
        }
        return 0;
    }
    if (header->hwndFrom == list_.hwnd) {
        switch (header->code) {
            case NM_RCLICK: ShowBlockMenu(); return TRUE;
            case LVN_ITEMACTIVATE: SendMessageW(hwnd_, WM_COMMAND, ID_BLOCK_OPEN, 0); break;
            case LVN_COLUMNCLICK:
                sortAscending_ = !sortAscending_;
                list_.SortByColumn(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem, sortAscending_);
                break;
            default: break;
        }
        return 0;
    }
    if (header->hwndFrom == reBar_ && header->code == RBN_HEIGHTCHANGE) {
        Layout();
        return 0;
    }
    // The toolbar's own tooltips ask for their texts; the shared hover tip has its texts set.
    if (header->code == TTN_GETDISPINFOW && header->hwndFrom != tips_.hwnd) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
        const std::wstring tip = CommandTooltip(static_cast<int>(header->idFrom));
        lstrcpynW(info->szText, tip.c_str(), ARRAYSIZE(info->szText));
        info->lpszText = info->szText;
        return 0;
    }
    return 0;
}

void MainFrame::OnTreeSelectionChanged(HTREEITEM item) {
    const std::wstring key = tree_.DriveKey(item);
    if (key.empty()) return;
    DriveRecord& current = Program().drives.currentDrive;
    if (current.deviceNumber != -1 && current.driveName == key) return;
    LargeSectorDrive large;
    const int status = ProbeDriveKey(key, &current, &large);
    if (large.sectorSize != 0) ShowLargeSectorDrive(large);
    if (status != PROBE_QUALIFIES) return;
    SetTitle();
    StartJob(JOB_LIST);
}

void MainFrame::ShowPopup(int menuIndex) {
    POINT at = {};
    GetCursorPos(&at);
    HMENU popup = GetSubMenu(GetMenu(hwnd_), menuIndex);
    if (popup) TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
}

void MainFrame::ShowBlockMenu() {
    const int selected = list_.SelectedCount();
    int menu = kSingleMenu;
    if (selected < 2) {
        selectionState_ = selected == 1 ? 1 : 0;
    } else {
        selectionState_ = 2;
        menu = kBulkMenu;
    }
    RefreshCommandStates();
    ShowPopup(menu);
}

void MainFrame::OnDeviceChange(WPARAM event, LPARAM header) {
    DeviceChangeHooks hooks;
    hooks.refreshDriveTree = [this] { RefreshDriveTree(); };
    hooks.showLargeSector = ShowLargeSectorDrive;
    hooks.formatDialog = formatDriveDialog_.hwnd();
    ::OnDeviceChange(Program().drives, static_cast<uint32_t>(event), reinterpret_cast<const void*>(header), hooks);
}

void MainFrame::ScanAndRefreshDrives() {
    std::vector<LargeSectorDrive> refused;
    ScanDrives(Program().drives, &refused);
    for (const LargeSectorDrive& drive : refused)
        ShowLargeSectorDrive(drive);
    RefreshDriveTree();
}

void MainFrame::RefreshDriveTree() {
    DriveList& drives = Program().drives;
    tree_.Reset();
    const int count = CountListedDrives(drives);
    for (int slot = 0; slot < count; ++slot)
        tree_.AddDrive(drives.drives[slot].driveName);
    if (ForgetVanishedCurrentDrive(drives)) list_.DeleteAll();
    SetTitle();
}

void MainFrame::SetTitle() {
    const std::wstring title = appTitle.empty() ? LoadResourceText(kTextAppTitle) : appTitle;
    SetWindowTextW(hwnd_, MainWindowTitle(title, Program().drives).c_str());
}

void MainFrame::OnTimer() {
    UpdateHoverTips();
    RecomputeSelectionState();
    RefreshCommandStates();
    // Not while a whole-drive format runs: the drive chosen then could not be listed.
    if (!Program().frontEnd.jobActive() && Program().drives.currentDrive.deviceNumber == -1 &&
        Program().formatWorker.formatRunning.load() == 0)
        tree_.SelectDriveItem(L"*");
}

void MainFrame::RecomputeSelectionState() {
    if (list_.Count() == 0) {
        selectionState_ = 0;
        return;
    }
    const int selected = list_.SelectedCount();
    selectionState_ = selected == 1 ? 1 : (selected > 1 ? 2 : 0);
}

void MainFrame::RefreshCommandStates() {
    if (!hwnd_) return;
    const bool driveCurrent = Program().drives.currentDrive.deviceNumber != -1;
    const bool jobActive = Program().frontEnd.jobActive();
    if (ShowsSelectionSummary(driveCurrent, jobActive)) UpdateStatusText();
    commandStates_.Apply(GetMenu(hwnd_), toolBar_,
                         ComputeCommandStates(driveCurrent, jobActive, selectionState_, viewCommand_));
}

void MainFrame::UpdateStatusText() {
    const int selected = list_.SelectedCount();
    std::wstring cells[kBlockListColumns];
    if (selected == 1) {
        const int first = list_.FirstSelected();
        for (int column = 0; column < kBlockListColumns; ++column)
            cells[column] = list_.Text(first, column);
    }
    const std::wstring text = SelectionSummary(selected, list_.Count(), cells);
    if (statusBar_.Text().substr(0, kStatusChars) != text.substr(0, kStatusChars)) statusBar_.SetText(text);
}

void MainFrame::UpdateHoverTips() {
    POINT cursor = {};
    GetCursorPos(&cursor);
    HWND under = WindowFromPoint(cursor);
    if (under == list_.hwnd && list_.ViewMode() != kViewDetail) {
        POINT client = cursor;
        ScreenToClient(list_.hwnd, &client);
        const int item = list_.HitTest(client);
        if (item >= 0) {
            tips_.SetText(list_.hwnd, BlockTipText(list_.Text(item, 1), list_.Text(item, 2), list_.Text(item, 3)));
            return;
        }
    } else if (under == tree_.hwnd) {
        POINT client = cursor;
        ScreenToClient(tree_.hwnd, &client);
        const std::wstring key = tree_.DriveKey(tree_.HitTest(client));
        DriveRecord scratch;
        // Probed afresh on every tick: the tip tells what the drive is now.
        if (!key.empty() && ProbeDriveKey(key, &scratch) == PROBE_QUALIFIES) {
            tips_.SetText(tree_.hwnd, DriveTipText(scratch));
            return;
        }
    }
    tips_.SetText(list_.hwnd, std::wstring());
    tips_.SetText(tree_.hwnd, std::wstring());
}

void MainFrame::OnMenuSelect(WPARAM wParam, LPARAM lParam) {
    const UINT command = LOWORD(wParam);
    const UINT flags = HIWORD(wParam);
    // The menu has closed: back to the normal text.
    if (flags == 0xFFFF && lParam == 0) {
        statusBar_.SetSimple(false);
        return;
    }
    std::wstring prompt;
    if (!(flags & (MF_POPUP | MF_SEPARATOR)))
        prompt = (flags & MF_SYSMENU) ? SystemMenuPrompt(command) : CommandPrompt(static_cast<int>(command));
    statusBar_.SetSimple(true);
    statusBar_.SetSimpleText(prompt);
}

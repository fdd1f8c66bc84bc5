// MainFrame's command table: what each command of the menu, toolbar, accelerators and context
// menus does. The command-state table only shows states; handlers guard themselves.
#include "ui/main_frame.h"

#include "app/image_drives.h"
#include "app/message_box.h"
#include "disk/attached_images.h"
#include "disk/drive_list.h"
#include "ui/about_dialog.h"
#include "ui/explorer.h"
#include "ui/file_dialogs.h"
#include "ui/job_threads.h"
#include "ui/program_core.h"
#include "ui/resource.h"
#include "ui/settings_dialog.h"

void MainFrame::OnCommand(int command) {
    ProgramCore& program = Program();
    switch (command) {
        case ID_FILE_UPLOAD_DIRECTORY: OpenDirectoryInExplorer(program.pc, program.blocks.savePath); return;
        case ID_FILE_BACKUP_DIRECTORY: OpenDirectoryInExplorer(program.pc, program.blocks.backupPath); return;
        case ID_FILE_ATTACH_IMAGE: AttachDriveImage(); return;
        case ID_APP_EXIT: PostMessageW(hwnd_, WM_CLOSE, 0, 0); return;
        case ID_DRIVE_FORMAT: FormatUsbDrive(); return;
        case ID_DRIVE_REFRESH: StartJob(JOB_REFRESH); return;
        case ID_DRIVE_BACKUP: StartJob(JOB_BACKUP); return;
        case ID_BLOCK_OPEN:
        case ID_BULK_OPEN: StartJob(JOB_OPEN); return;
        case ID_BLOCK_SAVE:
        case ID_BULK_SAVE: StartJob(JOB_SAVE); return;
        case ID_BLOCK_WRITE_IMAGE:
        case ID_BULK_WRITE_IMAGE: OpenImageForWriting(); return;
        case ID_BLOCK_EXPORT_IMAGE: ExportImage(); return;
        case ID_BLOCK_FORMAT:
        case ID_BULK_FORMAT: formatBlockDialog_.Run(DialogOwner()); return;
        case ID_OPTION_SELECT_ALL: SelectAllBlocks(); return;
        case ID_VIEW_BIG_ICON:
        case ID_VIEW_DETAIL:
        case ID_VIEW_SMALL_ICON:
        case ID_VIEW_LIST: SetViewCommand(command); return;
        case ID_OPTION_SET: RunSettingsDialog(DialogOwner()); return;
        case ID_APP_ABOUT: RunAboutDialog(DialogOwner()); return;
        default: return;
    }
}

HWND MainFrame::DialogOwner() const {
    HWND active = GetActiveWindow();
    return active ? active : hwnd_;
}

void MainFrame::OpenImageForWriting() {
    std::wstring path;
    if (AskImageToWrite(DialogOwner(), &path)) StartImageJob(JOB_WRITE_IMAGE, path);
}

void MainFrame::ExportImage() {
    const int first = list_.FirstSelected();
    if (first < 0) return;
    std::wstring path;
    if (AskImageToExport(DialogOwner(), list_.BlockNumber(first), &path)) StartImageJob(JOB_EXPORT_IMAGE, path);
}

void MainFrame::StartImageJob(int kind, const std::wstring& path) {
    // A job that is starting or running reads the parameters: this request would be dropped
    // anyway, so it is dropped before it can change them.
    if (JobWorkersPending()) return;
    Program().runner.parameters.imagePath = path;
    StartJob(kind);
}

void MainFrame::FormatUsbDrive() {
    DriveList& drives = Program().drives;
    const DriveRecord opening = drives.currentDrive;
    formatDriveDialog_.Run(DialogOwner(), opening);
    if (formatDriveDialog_.formattedCurrent() && FindDrive(drives, opening) >= 0) StartJob(JOB_LIST);
}

void MainFrame::SelectAllBlocks() {
    if (Program().runner.jobRunning.load() != 0) return;
    SetFocus(list_.hwnd);
    list_.SelectAll();
}

void MainFrame::SetViewCommand(int command) {
    viewCommand_ = command;
    listState_.lastViewCommand = command;
    list_.SetViewMode(ViewModeOf(command));
    for (int view = ID_VIEW_BIG_ICON; view <= ID_VIEW_LIST; ++view) {
        CheckMenuItem(GetMenu(hwnd_), view, MF_BYCOMMAND | (view == command ? MF_CHECKED : MF_UNCHECKED));
        toolBar_.Check(view, view == command);
    }
}

void MainFrame::AttachDriveImage() {
    std::wstring path;
    if (!AskDriveImageToAttach(DialogOwner(), &path)) return;
    DriveRecord added;
    const int status = AttachImageDrive(path, &added);
    if (status != ATTACH_OK) {
        ShowMessage(AttachStatusText(status, path), MB_ICONEXCLAMATION | MB_OK, hwnd_);
        return;
    }
    ScanAndRefreshDrives();
    // The new drive is shown at once unless a job is working on the current one.
    if (!Program().frontEnd.jobActive() && !JobWorkersPending()) tree_.SelectDriveItem(added.driveName);
}

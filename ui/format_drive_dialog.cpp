// The whole-drive format dialog: choosing the drive and the block count, starting the format
// worker, following its progress and cancelling it.
#include "ui/format_drive_dialog.h"

#include "app/app_module.h"
#include "app/message_box.h"
#include "app/texts.h"
#include "disk/drive_discovery.h"
#include "disk/drive_list.h"
#include "jobs/format_worker.h"
#include "ui/drive_probe.h"
#include "ui/format_option_controls.h"
#include "ui/job_threads.h"
#include "ui/program_core.h"
#include "ui/resource.h"

namespace {
constexpr UINT_PTR kStartTimer = 1;
constexpr UINT kStartTimerMs = 100;
constexpr uint32_t kMostBlocks = 100;
constexpr int kTextBlockCountLabel = 61419;
// The format worker hands the re-found drive over on the dialog's own thread (wParam: the record).
constexpr UINT kReselectDriveMessage = WM_APP + 1;

const FormatOptionIds kIds = {IDC_DRIVE_FORMAT_144M,   IDC_DRIVE_FORMAT_12M, IDC_DRIVE_FORMAT_720K,
                              IDC_DRIVE_MAKE_BOOTABLE, IDC_DRIVE_DOS622,     IDC_DRIVE_DOS71,
                              IDC_DRIVE_QUICK};

bool HasDrive(const DriveRecord& record) {
    return record.deviceNumber != -1;
}

// A job that is starting or running works on the sector access layer the format would use.
bool JobBusy() {
    return Program().runner.jobRunning.load() != 0 || JobWorkersPending();
}
}  // namespace

void FormatDriveDialog::Run(HWND owner, const DriveRecord& currentDrive) {
    opening_ = currentDrive;
    DialogBoxParamW(appInstance, MAKEINTRESOURCEW(IDD_FORMAT_DRIVE), owner, DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK FormatDriveDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<FormatDriveDialog*>(lParam)->hwnd_ = dialog;
    }
    auto* self = reinterpret_cast<FormatDriveDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self ? self->Handle(message, wParam) : FALSE;
}

INT_PTR FormatDriveDialog::Handle(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_INITDIALOG: OnInit(); return TRUE;
        case WM_TIMER:
            if (wParam == kStartTimer) OnTimer();
            return TRUE;
        case kRefreshDriveListMessage: OnDriveListChanged(); return TRUE;
        case kReselectDriveMessage:
            selected_ = *reinterpret_cast<const DriveRecord*>(wParam);
            SelectDriveLine(selected_);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                case IDC_DRIVE_START: OnStart(); return TRUE;
                case IDCANCEL: OnCancel(); return TRUE;
                case IDC_DRIVE_MAKE_BOOTABLE: EnableDosButtons(hwnd_, kIds); return TRUE;
                case IDC_DRIVE_LIST:
                    if (HIWORD(wParam) == LBN_SELCHANGE) OnDriveChosen();
                    return TRUE;
                default: return FALSE;
            }
        case WM_DESTROY: hwnd_ = nullptr; return FALSE;
        default: return FALSE;
    }
}

void FormatDriveDialog::OnInit() {
    ShowWindow(GetDlgItem(hwnd_, IDC_DRIVE_PROGRESS), SW_HIDE);
    formattedCurrent_ = false;
    selected_ = opening_;
    ShowFormatChoices(hwnd_, kIds, choices_);

    FillBlockCounts(kMostBlocks);
    SendDlgItemMessageW(hwnd_, IDC_DRIVE_COUNT, CB_LIMITTEXT, 3, 0);
    choices_.blockCount = CapBlockCount(choices_.blockCount, kMostBlocks);
    ShowBlockCount(choices_.blockCount);
    SetDlgItemTextW(hwnd_, IDC_DRIVE_COUNT_LABEL, FormatTextId(kTextBlockCountLabel, {kMostBlocks}).c_str());

    FillDriveList();
    UpdateForSelectedDrive();
    if (HasDrive(selected_) && FindDrive(Program().drives, selected_) >= 0) SelectDriveLine(selected_);
    SetTimer(hwnd_, kStartTimer, kStartTimerMs, nullptr);
    CentreWindowOver(hwnd_, GetWindow(hwnd_, GW_OWNER));
}

void FormatDriveDialog::FillDriveList() {
    HWND box = GetDlgItem(hwnd_, IDC_DRIVE_LIST);
    SendMessageW(box, LB_RESETCONTENT, 0, 0);
    for (const DriveRecord& record : Program().drives.drives) {
        if (!HasDrive(record)) continue;
        SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DriveListLine(record).c_str()));
    }
}

void FormatDriveDialog::SelectDriveLine(const DriveRecord& record) {
    HWND box = GetDlgItem(hwnd_, IDC_DRIVE_LIST);
    const LRESULT line = SendMessageW(box, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(DriveListLine(record).c_str()));
    if (line != LB_ERR) SendMessageW(box, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

void FormatDriveDialog::UpdateForSelectedDrive() {
    HWND start = GetDlgItem(hwnd_, IDC_DRIVE_START);
    if (!HasDrive(selected_)) {
        EnableWindow(start, FALSE);
        SetWindowTextW(hwnd_, TextById(kTextFormat));
        return;
    }
    const uint32_t maximum = MaxFormatBlocks(selected_.lastSector);
    const uint32_t count = CapBlockCount(ReadBlockCount(), maximum);
    FillBlockCounts(maximum);
    ShowBlockCount(count);
    SetDlgItemTextW(hwnd_, IDC_DRIVE_COUNT_LABEL, FormatTextId(kTextBlockCountLabel, {maximum}).c_str());
    SetWindowTextW(hwnd_, FormatDriveTitle(selected_.driveName).c_str());
    // A drive list change during a format must not bring the hidden start button back.
    if (!Formatting()) EnableWindow(start, JobBusy() ? FALSE : TRUE);
}

void FormatDriveDialog::OnDriveChosen() {
    HWND box = GetDlgItem(hwnd_, IDC_DRIVE_LIST);
    const LRESULT line = SendMessageW(box, LB_GETCURSEL, 0, 0);
    if (line == LB_ERR) return;
    const LRESULT length = SendMessageW(box, LB_GETTEXTLEN, static_cast<WPARAM>(line), 0);
    std::wstring text(length > 0 ? static_cast<size_t>(length) : 0, L'\0');
    SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(&text[0]));
    ProbeDriveKey(text.substr(0, 2), &selected_);
    UpdateForSelectedDrive();
}

void FormatDriveDialog::OnTimer() {
    if (Formatting()) return;
    // Ctrl+F opens the dialog while a job runs too; the start button waits for the job.
    const bool ready = HasDrive(selected_) && !JobBusy();
    EnableWindow(GetDlgItem(hwnd_, IDC_DRIVE_START), ready ? TRUE : FALSE);
}

void FormatDriveDialog::OnDriveListChanged() {
    FillDriveList();
    if (!HasDrive(selected_)) return;
    if (FindDrive(Program().drives, selected_) < 0) {
        selected_.deviceNumber = -1;
        UpdateForSelectedDrive();
    } else {
        SelectDriveLine(selected_);
    }
}

void FormatDriveDialog::OnStart() {
    // The start button is disabled then, but Enter still arrives here.
    if (Formatting() || JobBusy() || !HasDrive(selected_)) return;
    ReadFormatChoices(hwnd_, kIds, &choices_);
    const uint32_t maximum = MaxFormatBlocks(selected_.lastSector);
    choices_.blockCount = CapBlockCount(ReadBlockCount(), maximum);
    ShowBlockCount(choices_.blockCount);
    if (choices_.blockCount == 0) {
        ShowMessage(FormatTextId(kTextBlockCountRange, {maximum}), MB_ICONINFORMATION | MB_OK, hwnd_);
        ShowBlockCount(maximum);
        SetFocus(GetDlgItem(hwnd_, IDC_DRIVE_COUNT));
        return;
    }
    if (ShowMessage(kTextFormatAlarm, MB_OKCANCEL | MB_ICONEXCLAMATION, hwnd_) != IDOK) return;
    // A job may have been started while the question was open.
    if (Formatting() || JobBusy()) return;

    host_.Prepare(hwnd_, selected_, [this](const DriveRecord& found) {
        SendMessageW(hwnd_, kReselectDriveMessage, reinterpret_cast<WPARAM>(&found), 0);
    });
    FormatDriveRequest request;
    request.host = &host_;
    request.owner = hwnd_;
    request.blockCount = choices_.blockCount;
    choices_.FillParameters(&request.parameters);
    request.enableControls = [this](bool on) { EnableControls(on); };
    const bool current = selected_ == opening_;
    if (StartFormatDrive(request) && current) formattedCurrent_ = true;
}

void FormatDriveDialog::OnCancel() {
    if (Formatting()) {
        Program().blocks.cancelRequested.store(1);
        SetWindowTextW(hwnd_, FormatCancellingTitle(host_.drive().driveName).c_str());
        return;
    }
    KillTimer(hwnd_, kStartTimer);
    ReadFormatChoices(hwnd_, kIds, &choices_);
    choices_.blockCount = CapBlockCount(ReadBlockCount(), kMostBlocks);
    EndDialog(hwnd_, IDCANCEL);
}

void FormatDriveDialog::EnableControls(bool on) {
    const BOOL state = on ? TRUE : FALSE;
    EnableWindow(GetDlgItem(hwnd_, IDC_DRIVE_LIST), state);
    EnableFormatChoices(hwnd_, kIds, on);
    EnableWindow(GetDlgItem(hwnd_, IDC_DRIVE_COUNT), state);
    EnableWindow(GetDlgItem(hwnd_, IDC_DRIVE_START), on && HasDrive(selected_) ? TRUE : FALSE);
}

bool FormatDriveDialog::Formatting() const {
    return Program().formatWorker.formatRunning.load() != 0;
}

uint32_t FormatDriveDialog::ReadBlockCount() const {
    wchar_t text[16] = {};
    GetDlgItemTextW(hwnd_, IDC_DRIVE_COUNT, text, 16);
    return ParseBlockCount(text);
}

void FormatDriveDialog::ShowBlockCount(uint32_t count) {
    SetDlgItemTextW(hwnd_, IDC_DRIVE_COUNT, std::to_wstring(count).c_str());
}

void FormatDriveDialog::FillBlockCounts(uint32_t maximum) {
    HWND combo = GetDlgItem(hwnd_, IDC_DRIVE_COUNT);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (uint32_t count = 1; count <= maximum; ++count)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(count).c_str()));
}

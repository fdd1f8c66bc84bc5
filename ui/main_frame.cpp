// MainFrame's creation, layout, scaling, splitter dragging and closing, and its window procedure.
#include "ui/main_frame.h"

#include <dbt.h>

#include "app/app_module.h"
#include "app/message_box.h"
#include "app/single_instance.h"
#include "app/texts.h"
#include "disk/drive_discovery.h"
#include "ui/dpi.h"
#include "ui/job_threads.h"
#include "ui/program_core.h"
#include "ui/resource.h"
#include "ui/window_placement.h"

namespace {
constexpr UINT_PTR kStateTimer = 1;
constexpr UINT kStateTimerMs = 300;
constexpr int kSplitterBar = 4;  // at 96 DPI

bool RegisterFrameClass(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = procedure;
        wc.hInstance = appInstance;
        wc.hIcon = LoadIconW(appInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));
        wc.hIconSm =
            static_cast<HICON>(LoadImageW(appInstance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                          GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kMainFrameClass;
        return RegisterClassExW(&wc) != 0;
    }();
    return registered;
}

int Height(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}
}  // namespace

bool MainFrame::Create(int showCommand) {
    if (!RegisterFrameClass(WindowProc)) return false;
    const SettingsStore& store = Program().settings;
    listState_.Load(store);
    const WindowPlacement placement = LoadWindowPlacement(store);
    int32_t x, y, width, height;
    placement.CreationArguments(&x, &y, &width, &height);

    HMENU menu = LoadMenuW(appInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    HWND window = CreateWindowExW(0, kMainFrameClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, width, height,
                                  nullptr, menu, appInstance, this);
    if (!window) {
        if (menu) DestroyMenu(menu);
        return false;
    }
    accelerators_ = LoadAcceleratorsW(appInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    ShowWindow(hwnd_, showCommand);
    if (placement.maximized == 1) ShowWindow(hwnd_, SW_SHOWMAXIMIZED);
    UpdateWindow(hwnd_);
    return true;
}

bool MainFrame::FilterAccelerator(MSG* message) {
    return hwnd_ && accelerators_ && TranslateAcceleratorW(hwnd_, accelerators_, message) != 0;
}

LRESULT CALLBACK MainFrame::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* frame = static_cast<MainFrame*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        frame->hwnd_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(frame));
    }
    auto* frame = reinterpret_cast<MainFrame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!frame) return DefWindowProcW(window, message, wParam, lParam);
    return frame->Handle(message, wParam, lParam);
}

LRESULT MainFrame::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return OnCreate() ? 0 : -1;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) Layout();
            return 0;
        case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
        case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lParam));
        case WM_TIMER:
            if (wParam == kStateTimer) OnTimer();
            return 0;
        case WM_MENUSELECT: OnMenuSelect(wParam, lParam); return 0;
        case WM_MEASUREITEM:
            if (menuImages_.Measure(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam), toolBar_.images.get())) return TRUE;
            break;
        case WM_DRAWITEM:
            if (menuImages_.Draw(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), toolBar_.images.get())) return TRUE;
            break;
        case WM_DEVICECHANGE: OnDeviceChange(wParam, lParam); return TRUE;
        case WM_SETFOCUS: OnActivated(); return 0;
        case WM_ACTIVATE: {
            LRESULT result = DefWindowProcW(hwnd_, message, wParam, lParam);
            if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) OnActivated();
            return result;
        }
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == hwnd_ && LOWORD(lParam) == HTCLIENT && OnSetCursor()) return TRUE;
            break;
        case WM_LBUTTONDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED: OnMouse(message, lParam); return 0;
        case WM_DPICHANGED: OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
        case WM_CLOSE:
            SaveWindowState();
            formatDriveDialog_.Save(Program().settings);
            formatBlockDialog_.Save(Program().settings);
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            KillTimer(hwnd_, kStateTimer);
            SetMainWindowForMessages(nullptr);
            PostQuitMessage(1);
            return 0;
        case WM_NCDESTROY: {
            LRESULT result = DefWindowProcW(hwnd_, message, wParam, lParam);
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            return result;
        }
        default: break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool MainFrame::OnCreate() {
    PublishMainWindow(hwnd_);
    SetMainWindowForMessages(hwnd_);
    dpi_ = WindowDpi(hwnd_);
    CreateBars();
    statusBar_.Create(hwnd_, appInstance);
    statusBar_.SetText(TextById(kTextIdle));

    if (!tree_.Create(hwnd_, appInstance, dpi_) || !list_.Create(hwnd_, appInstance, listState_, dpi_)) return false;
    listImages_ = BlockListImages::Load(appInstance, dpi_);
    list_.SetImages(listImages_);
    splitter_.SetBarWidth(ScaleToDpi(kSplitterBar, dpi_));
    Layout();
    RECT client = {};
    GetClientRect(hwnd_, &client);
    int32_t position = LoadSplitterPosition(Program().settings);
    splitter_.SetPosition(position != 0 ? position : client.right / 4);
    MovePanes();

    commandStates_.Forget();
    tips_.Create(hwnd_, appInstance);
    tips_.AddTool(tree_.hwnd);
    tips_.AddTool(list_.hwnd);
    Program().frontEnd.SetViews(JobViews{hwnd_, tree_.hwnd, statusBar_.hwnd, list_});

    ScanAndRefreshDrives();
    RegisterDiskNotifications(hwnd_);
    formatDriveDialog_.Load(Program().settings);
    formatBlockDialog_.Load(Program().settings);
    SetViewCommand(ViewCommandOf(listState_.lastViewCommand));
    SetTitle();
    tree_.SelectDriveItem(L"*");
    SetTimer(hwnd_, kStateTimer, kStateTimerMs, nullptr);
    return true;
}

void MainFrame::CreateBars() {
    reBar_ = CreateWindowExW(WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr,
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                                 RBS_BANDBORDERS | CCS_NODIVIDER | CCS_TOP,
                             0, 0, 0, 0, hwnd_, nullptr, appInstance, nullptr);
    REBARINFO info = {};
    info.cbSize = sizeof(info);
    SendMessageW(reBar_, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info));
    toolBar_.Create(reBar_, hwnd_, appInstance, dpi_);
    menuImages_.Apply(GetMenu(hwnd_), toolBar_.buttons);

    const SIZE size = toolBar_.IdealSize();
    REBARBANDINFOW band = {};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_IDEALSIZE;
    // The command bar is the menu bar, so the toolbar's band is the only row of the rebar.
    band.fStyle = RBBS_CHILDEDGE | RBBS_BREAK;
    band.hwndChild = toolBar_.hwnd;
    band.cxMinChild = 0;
    band.cyMinChild = size.cy;
    band.cx = size.cx;
    band.cxIdeal = size.cx;
    SendMessageW(reBar_, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

void MainFrame::Layout() {
    if (!reBar_ || !statusBar_.hwnd || !list_.hwnd) return;
    SendMessageW(reBar_, WM_SIZE, 0, 0);
    SendMessageW(statusBar_.hwnd, WM_SIZE, 0, 0);
    RECT client = {};
    GetClientRect(hwnd_, &client);
    RECT area = {client.left, client.top + Height(reBar_), client.right, client.bottom - statusBar_.Height()};
    if (area.bottom < area.top) area.bottom = area.top;
    splitter_.SetArea(area);
    MovePanes();
}

void MainFrame::MovePanes() {
    const RECT left = splitter_.LeftPane();
    const RECT right = splitter_.RightPane();
    HDWP moves = BeginDeferWindowPos(2);
    moves = DeferWindowPos(moves, tree_.hwnd, nullptr, left.left, left.top, left.right - left.left,
                           left.bottom - left.top, SWP_NOZORDER | SWP_NOACTIVATE);
    moves = DeferWindowPos(moves, list_.hwnd, nullptr, right.left, right.top, right.right - right.left,
                           right.bottom - right.top, SWP_NOZORDER | SWP_NOACTIVATE);
    EndDeferWindowPos(moves);
    RECT bar = splitter_.Bar();
    InvalidateRect(hwnd_, &bar, TRUE);
}

bool MainFrame::OnSetCursor() {
    POINT point = {};
    GetCursorPos(&point);
    ScreenToClient(hwnd_, &point);
    if (!dragging_ && !splitter_.IsOnBar(point)) return false;
    SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
    return true;
}

void MainFrame::OnMouse(UINT message, LPARAM lParam) {
    const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
        case WM_LBUTTONDOWN:
            if (!splitter_.IsOnBar(point)) return;
            dragging_ = true;
            splitter_.BeginDrag(point.x);
            SetCapture(hwnd_);
            return;
        case WM_MOUSEMOVE:
            if (!dragging_) return;
            splitter_.DragTo(point.x);
            MovePanes();
            return;
        case WM_LBUTTONUP:
            if (dragging_) ReleaseCapture();
            return;
        default:  // WM_CAPTURECHANGED
            dragging_ = false;
            return;
    }
}

void MainFrame::OnDpiChanged(int dpi, const RECT& suggested) {
    const int old = dpi_;
    dpi_ = dpi;
    toolBar_.SetImages(appInstance, dpi_);
    const SIZE size = toolBar_.IdealSize();
    REBARBANDINFOW band = {};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILDSIZE | RBBIM_IDEALSIZE | RBBIM_SIZE;
    band.cyMinChild = size.cy;
    band.cx = size.cx;
    band.cxIdeal = size.cx;
    SendMessageW(reBar_, RB_SETBANDINFOW, 0, reinterpret_cast<LPARAM>(&band));
    // The menu measures its items again.
    menuImages_.Apply(GetMenu(hwnd_), toolBar_.buttons);

    tree_.SetImages(appInstance, dpi_);
    BlockListImages images = BlockListImages::Load(appInstance, dpi_);
    list_.SetImages(images);
    listImages_ = std::move(images);
    for (int column = 0; column < kBlockListColumns; ++column)
        list_.SetColumnWidth(column, MulDiv(list_.ColumnWidth(column), dpi_, old));
    splitter_.SetBarWidth(ScaleToDpi(kSplitterBar, dpi_));

    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

void MainFrame::SaveWindowState() {
    const SettingsStore& store = Program().settings;
    // A minimised window's rectangle says nothing about where the user wants it.
    if (!IsIconic(hwnd_)) {
        WindowPlacement placement;
        if (IsZoomed(hwnd_)) {
            placement.maximized = 1;
        } else {
            RECT rect = {};
            GetWindowRect(hwnd_, &rect);
            placement.left = rect.left;
            placement.top = rect.top;
            placement.width = rect.right - rect.left;
            placement.height = rect.bottom - rect.top;
        }
        SaveWindowPlacement(store, placement);
        SaveSplitterPosition(store, splitter_.position());
    }
    const bool detail = list_.ViewMode() == kViewDetail;
    if (detail) {
        for (int column = 0; column < kBlockListColumns; ++column)
            listState_.columnWidths[column] = list_.ColumnWidth(column);
    }
    listState_.lastViewCommand = viewCommand_;
    listState_.Save(store, detail);
}

void MainFrame::OnActivated() {
    if (list_.hwnd && IsWindowEnabled(list_.hwnd) && !IsIconic(hwnd_)) SetFocus(list_.hwnd);
}

int RunMainWindow(int showCommand) {
    SetUserInterfaceThread(GetCurrentThreadId());
    // The settings are read before the window exists.
    Program();
    MainFrame frame;
    if (!frame.Create(showCommand)) return 0;

    MSG message = {};
    bool idle = true;
    for (;;) {
        // The idle handler runs once whenever the queue has run dry after input.
        if (idle && !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            frame.OnIdle();
            idle = false;
        }
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) return 0;
        if (!frame.FilterAccelerator(&message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        switch (message.message) {
            case WM_MOUSEMOVE:
            case WM_NCMOUSEMOVE:
            case WM_PAINT:
            case 0x0118:  // the system's caret timer
                break;
            default: idle = true;
        }
    }
}

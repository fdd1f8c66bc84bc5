// MainFrame, the program's only top-level window: the menu bar with the toolbar's images, the
// toolbar in a rebar, the status bar, and the splitter with the device tree left and the block
// list right. It owns the command table, keeps the commands' states, the title and the stored
// window state, and follows drives coming and going. RunMainWindow is what start-up runs.
#pragma once

#include <windows.h>

#include <string>

#include "ui/block_list.h"
#include "ui/block_list_state.h"
#include "ui/command_states.h"
#include "ui/device_tree.h"
#include "ui/format_block_dialog.h"
#include "ui/format_drive_dialog.h"
#include "ui/hover_tip.h"
#include "ui/menu_images.h"
#include "ui/splitter.h"
#include "ui/status_bar.h"
#include "ui/tool_bar.h"

// Creates the main window at its stored placement, shows it with showCommand and runs the
// message loop until the window closes. Returns the loop's exit code (1), or 0 when the window
// cannot be created. Runs on the user-interface thread.
int RunMainWindow(int showCommand);

// The main window's class, for the tests and for a second instance to find it by.
constexpr wchar_t kMainFrameClass[] = L"SlotwiseMainFrame";

class MainFrame {
public:
    MainFrame() = default;
    MainFrame(const MainFrame&) = delete;
    MainFrame& operator=(const MainFrame&) = delete;

    bool Create(int showCommand);
    HWND hwnd() const { return hwnd_; }
    // The message loop's accelerator filter; true when the message became a command.
    bool FilterAccelerator(MSG* message);
    // The message loop's idle handler.
    void OnIdle() { RefreshCommandStates(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    // Creation, layout, scaling and closing (main_frame.cpp).
    bool OnCreate();
    void CreateBars();
    void Layout();
    void MovePanes();
    bool OnSetCursor();
    void OnMouse(UINT message, LPARAM lParam);
    void OnDpiChanged(int dpi, const RECT& suggested);
    void SaveWindowState();
    void OnActivated();

    // Commands (main_frame_commands.cpp).
    void OnCommand(int command);
    void OpenImageForWriting();
    void ExportImage();
    void StartImageJob(int kind, const std::wstring& path);
    void FormatUsbDrive();
    void SelectAllBlocks();
    void SetViewCommand(int command);
    void AttachDriveImage();
    HWND DialogOwner() const;

    // Drives, views, states and texts (main_frame_views.cpp).
    LRESULT OnNotify(NMHDR* header);
    void OnTreeSelectionChanged(HTREEITEM item);
    void ShowPopup(int menuIndex);
    void ShowBlockMenu();
    void OnDeviceChange(WPARAM event, LPARAM header);
    void ScanAndRefreshDrives();
    void RefreshDriveTree();
    void SetTitle();
    void OnTimer();
    void RecomputeSelectionState();
    void RefreshCommandStates();
    void UpdateStatusText();
    void UpdateHoverTips();
    void OnMenuSelect(WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    HACCEL accelerators_ = nullptr;
    int dpi_ = 96;

    HWND reBar_ = nullptr;
    ToolBar toolBar_;
    MenuImages menuImages_;
    StatusBar statusBar_;
    Splitter splitter_;
    bool dragging_ = false;
    DeviceTree tree_;
    BlockList list_;
    BlockListImages listImages_;
    HoverTip tips_;

    BlockListState listState_;
    int viewCommand_ = kDetailViewCommand;
    bool sortAscending_ = true;
    int selectionState_ = 0;
    CommandStateView commandStates_;
    // Their choices live as long as the window.
    FormatDriveDialog formatDriveDialog_;
    FormatBlockDialog formatBlockDialog_;
};

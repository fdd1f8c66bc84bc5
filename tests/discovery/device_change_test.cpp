// Device changes: which notifications rescan the drives, what the window is asked to do after a
// rescan, the current drive after a stick is pulled out, and the notification registration.
#include <windows.h>

#include <dbt.h>

#include <gtest/gtest.h>

#include "disk/drive_discovery.h"
#include "disk/drive_list.h"
#include "fake_usb_sticks.h"

namespace {

FakeStick Stick(const std::wstring& driveName, uint32_t deviceNumber) {
    FakeStick s;
    s.driveName = driveName;
    s.deviceNumber = deviceNumber;
    return s;
}

DEV_BROADCAST_DEVICEINTERFACE_W Broadcast(DWORD deviceType) {
    DEV_BROADCAST_DEVICEINTERFACE_W b = {};
    b.dbcc_size = sizeof(b);
    b.dbcc_devicetype = deviceType;
    return b;
}

// A window standing in for the format dialog: counts the refresh messages it is sent.
class CountingWindow {
public:
    CountingWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"SlotwiseTestCountingWindow";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CountingWindow() { DestroyWindow(hwnd); }

    HWND hwnd = nullptr;
    int refreshes = 0;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<CountingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && message == WM_USER + 100 && wParam == 0 && lParam == 0) ++self->refreshes;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
};

struct Window {
    DeviceChangeHooks hooks;
    int treeRefreshes = 0;
    std::vector<std::wstring> messages;

    explicit Window(HWND formatDialog = nullptr) {
        hooks.refreshDriveTree = [this] { ++treeRefreshes; };
        hooks.showLargeSector = [this](const LargeSectorDrive& d) { messages.push_back(LargeSectorText(d)); };
        hooks.formatDialog = formatDialog;
    }
};

}  // namespace

TEST(DriveChangeEvent, OnlyInterfaceArrivalsAndRemovalsCountWhileNotIgnored) {
    EXPECT_TRUE(IsDriveChangeEvent(DBT_DEVICEARRIVAL, DBT_DEVTYP_DEVICEINTERFACE, 0));
    EXPECT_TRUE(IsDriveChangeEvent(DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_DEVICEINTERFACE, 0));
    EXPECT_FALSE(IsDriveChangeEvent(DBT_DEVICEQUERYREMOVE, DBT_DEVTYP_DEVICEINTERFACE, 0));
    EXPECT_FALSE(IsDriveChangeEvent(DBT_DEVICEREMOVEPENDING, DBT_DEVTYP_DEVICEINTERFACE, 0));
    EXPECT_FALSE(IsDriveChangeEvent(DBT_DEVICEARRIVAL, DBT_DEVTYP_VOLUME, 0));
    EXPECT_FALSE(IsDriveChangeEvent(DBT_DEVICEARRIVAL, DBT_DEVTYP_DEVICEINTERFACE, 1));
    EXPECT_FALSE(IsDriveChangeEvent(DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_DEVICEINTERFACE, 1));
}

TEST(OnDeviceChange, AnArrivalRescansRefreshesTheTreeAndTellsTheFormatDialog) {
    FakeUsbSticks sticks;
    sticks.Add(Stick(L"E:", 1));
    CountingWindow dialog;
    ASSERT_NE(dialog.hwnd, nullptr);
    Window window(dialog.hwnd);
    DriveList list;
    auto header = Broadcast(DBT_DEVTYP_DEVICEINTERFACE);
    EXPECT_TRUE(OnDeviceChange(list, DBT_DEVICEARRIVAL, &header, window.hooks));
    ASSERT_EQ(CountListedDrives(list), 1);
    EXPECT_EQ(list.drives[0].driveName, L"E:");
    EXPECT_EQ(window.treeRefreshes, 1);
    EXPECT_EQ(dialog.refreshes, 1);
    EXPECT_TRUE(window.messages.empty());
}

TEST(OnDeviceChange, WithoutAFormatDialogOnlyTheTreeIsRefreshed) {
    FakeUsbSticks sticks;
    sticks.Add(Stick(L"E:", 1));
    Window window;
    DriveList list;
    auto header = Broadcast(DBT_DEVTYP_DEVICEINTERFACE);
    EXPECT_TRUE(OnDeviceChange(list, DBT_DEVICEREMOVECOMPLETE, &header, window.hooks));
    EXPECT_EQ(window.treeRefreshes, 1);
}

TEST(OnDeviceChange, ANotificationWhileIgnoringChangesNothing) {
    FakeUsbSticks sticks;
    sticks.Add(Stick(L"E:", 1));
    CountingWindow dialog;
    Window window(dialog.hwnd);
    DriveList list;
    list.ignoreDeviceChanges = 1;
    list.drives[0].deviceNumber = 1;
    list.drives[0].driveName = L"F:";
    DriveList before = list;
    auto header = Broadcast(DBT_DEVTYP_DEVICEINTERFACE);
    EXPECT_FALSE(OnDeviceChange(list, DBT_DEVICEARRIVAL, &header, window.hooks));
    EXPECT_EQ(list.drives[0], before.drives[0]);
    EXPECT_EQ(list.drives[1].deviceNumber, -1);
    EXPECT_EQ(window.treeRefreshes, 0);
    EXPECT_EQ(dialog.refreshes, 0);
    EXPECT_TRUE(sticks.Calls().empty());
}

TEST(OnDeviceChange, OtherNotificationsAreLeftAlone) {
    FakeUsbSticks sticks;
    sticks.Add(Stick(L"E:", 1));
    Window window;
    DriveList list;
    auto volume = Broadcast(DBT_DEVTYP_VOLUME);
    EXPECT_FALSE(OnDeviceChange(list, DBT_DEVICEARRIVAL, &volume, window.hooks));
    auto iface = Broadcast(DBT_DEVTYP_DEVICEINTERFACE);
    EXPECT_FALSE(OnDeviceChange(list, DBT_DEVICEQUERYREMOVE, &iface, window.hooks));
    EXPECT_FALSE(OnDeviceChange(list, DBT_DEVNODES_CHANGED, nullptr, window.hooks));
    EXPECT_EQ(CountListedDrives(list), 0);
    EXPECT_EQ(window.treeRefreshes, 0);
    EXPECT_TRUE(sticks.Calls().empty());
}

TEST(OnDeviceChange, ALargeSectorStickIsReportedAtEachRescan) {
    FakeUsbSticks sticks;
    FakeStick large = Stick(L"F:", 2);
    large.blockLength = 4096;
    sticks.Add(large);
    Window window;
    DriveList list;
    auto header = Broadcast(DBT_DEVTYP_DEVICEINTERFACE);
    OnDeviceChange(list, DBT_DEVICEARRIVAL, &header, window.hooks);
    EXPECT_EQ(window.messages, std::vector<std::wstring>{L"不支持大扇区(4096B)U盘F:"});
    EXPECT_EQ(CountListedDrives(list), 0);
}

TEST(CurrentDrive, PullingOutTheCurrentDriveLeavesNoCurrentDrive) {
    FakeUsbSticks sticks;
    sticks.Add(Stick(L"E:", 1));
    sticks.Add(Stick(L"F:", 2));
    DriveList list;
    ScanDrives(list);
    list.currentDrive = list.drives[0];
    EXPECT_EQ(CurrentDriveTitle(list), L"E:");

    sticks.Remove(L"E:");
    Window window;
    auto header = Broadcast(DBT_DEVTYP_DEVICEINTERFACE);
    ASSERT_TRUE(OnDeviceChange(list, DBT_DEVICEREMOVECOMPLETE, &header, window.hooks));
    EXPECT_TRUE(ForgetVanishedCurrentDrive(list));
    EXPECT_EQ(list.currentDrive.deviceNumber, -1);
    EXPECT_EQ(CurrentDriveTitle(list), L"#");
    EXPECT_FALSE(ForgetVanishedCurrentDrive(list));  // nothing current any more
}

TEST(CurrentDrive, ADriveStillThereStaysCurrent) {
    FakeUsbSticks sticks;
    sticks.Add(Stick(L"E:", 1));
    sticks.Add(Stick(L"F:", 2));
    DriveList list;
    ScanDrives(list);
    list.currentDrive = list.drives[1];
    sticks.Remove(L"E:");
    ScanDrives(list);
    EXPECT_FALSE(ForgetVanishedCurrentDrive(list));
    EXPECT_EQ(CurrentDriveTitle(list), L"F:");
}

TEST(CurrentDrive, ADriveWhoseIdentityChangedIsNoLongerCurrent) {
    FakeUsbSticks sticks;
    sticks.Add(Stick(L"E:", 1));
    DriveList list;
    ScanDrives(list);
    list.currentDrive = list.drives[0];
    // Another stick in the same port: the same letter and number, another size.
    sticks.Remove(L"E:");
    FakeStick other = Stick(L"E:", 1);
    other.lastAddress = 7864319;
    sticks.Add(other);
    ScanDrives(list);
    EXPECT_TRUE(ForgetVanishedCurrentDrive(list));
    EXPECT_EQ(CurrentDriveTitle(list), L"#");
}

TEST(DiskNotifications, AWindowIsRegisteredAndReleased) {
    // The registration names its window, so a message-only window receives the notifications too.
    CountingWindow window;
    ASSERT_NE(window.hwnd, nullptr);
    ASSERT_TRUE(RegisterDiskNotifications(window.hwnd));
    EXPECT_NE(deviceNotifyHandle, nullptr);
    UnregisterDiskNotifications();
    EXPECT_EQ(deviceNotifyHandle, nullptr);
}

// Drives in the main window: the tree's selection rules, drives attached from the File menu,
// and drives arriving and going away as device-change notifications report them.
#include "main_window_fixture.h"

#include <commctrl.h>
#include <dbt.h>

#include "app/image_drives.h"
#include "blocks/drive_format.h"
#include "disk/attached_images.h"
#include "disk/image_drive.h"
#include "disk/pc_file.h"
#include "support/image_format_host.h"
#include "ui/program_core.h"
#include "ui/resource.h"

namespace {

class MainWindowDrives : public MainWindowTest {
protected:
    ~MainWindowDrives() override {
        for (int32_t number : extra_)
            ProcessAttachedImages().Detach(number);
    }

    // A second image file of `blocks` formatted 720K blocks, not attached yet.
    std::string MakeSecondDrive(uint32_t blocks) {
        const std::string path = dir.File("second.img");
        PcFile file;
        EXPECT_TRUE(file.Open(Wide(path), PcFile::Mode::CreateAlways));
        EXPECT_TRUE(file.SetSize((static_cast<uint64_t>(blocks) * kSlotSectors + 1) * kSectorSize));
        file.Close();
        DriveRecord record = drive;
        record.imagePath = Wide(path);
        record.lastSector = blocks * kSlotSectors;
        reference.list.rows.clear();
        ImageFormatHost host(sectors, Wide(path));
        EXPECT_EQ(referenceBlocks.FormatDrive(host, blocks, Format720K, 1, DosNone), 0);
        return path;
    }

    // Attaches an image on the window's thread, where the attached images are used.
    DriveRecord AttachOnWindowThread(const std::string& path) {
        DriveRecord added;
        int status = -1;
        RunOnWindowThread(frame, [&] { status = AttachImageDrive(Wide(path), &added); });
        EXPECT_EQ(status, ATTACH_OK);
        if (status == ATTACH_OK) extra_.push_back(added.deviceNumber);
        return added;
    }

    void DetachOnWindowThread(int32_t deviceNumber) {
        RunOnWindowThread(frame, [&] { ProcessAttachedImages().Detach(deviceNumber); });
    }

    // What the system sends when a volume arrives or goes.
    void SendVolumeChange(WPARAM event) {
        DEV_BROADCAST_DEVICEINTERFACE_W header = {};
        header.dbcc_size = sizeof(header);
        header.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        SendMessageW(frame, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&header));
    }

    std::wstring Title(const std::wstring& drivePart) const {
        return L"[Tanvale] Slotwise V1.40 - www.tanvale.example - [" + drivePart + L"]";
    }

private:
    std::vector<int32_t> extra_;
};

TEST_F(MainWindowDrives, SelectingMyComputerOrTheCurrentDriveAgainKeepsTheList) {
    OpenWindow();
    // A row gone from the list shows whether it is listed again.
    SendMessageW(list, LVM_DELETEITEM, 0, 0);
    ASSERT_TRUE(SelectTreeItem(tree, L""));
    ASSERT_TRUE(SelectTreeItem(tree, drive.driveName));
    ASSERT_TRUE(SelectTreeItem(tree, L""));
    EXPECT_TRUE(WaitForJobs());
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(kBlocks - 1));
    EXPECT_EQ(WindowTextOf(frame), Title(drive.driveName));
}

TEST_F(MainWindowDrives, AnotherDriveSelectedInTheTreeBecomesCurrentAndListsItsBlocks) {
    OpenWindow();
    const DriveRecord second = AttachOnWindowThread(MakeSecondDrive(3));
    SendVolumeChange(DBT_DEVICEARRIVAL);
    ASSERT_EQ(TreeItemsOf(tree).children, (std::vector<std::wstring>{drive.driveName, second.driveName}));
    ASSERT_TRUE(SelectTreeItem(tree, second.driveName));
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 3; }));
    ASSERT_TRUE(WaitForJobs());
    EXPECT_EQ(RowsOf(list)[2][1], L"713.0 KB");
    EXPECT_EQ(WindowTextOf(frame), Title(second.driveName));
}

TEST_F(MainWindowDrives, RemovingTheCurrentDriveEmptiesTheListAndTheNextDriveIsTakenUp) {
    OpenWindow();
    const DriveRecord second = AttachOnWindowThread(MakeSecondDrive(2));
    SendVolumeChange(DBT_DEVICEARRIVAL);
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(kBlocks));

    DetachOnWindowThread(drive.deviceNumber);
    attached = false;
    // The timer takes up the first drive left, so the window is watched in its own thread.
    bool emptied = false;
    std::wstring title;
    RunOnWindowThread(frame, [&] {
        SendVolumeChange(DBT_DEVICEREMOVECOMPLETE);
        emptied = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 0;
        title = WindowTextOf(frame);
    });
    EXPECT_TRUE(emptied);
    EXPECT_EQ(title, Title(L"#"));
    EXPECT_EQ(TreeItemsOf(tree).children, std::vector<std::wstring>{second.driveName});
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 2; }));
    EXPECT_EQ(WindowTextOf(frame), Title(second.driveName));
}

TEST_F(MainWindowDrives, DeviceChangesAreIgnoredWhileAFormatWaitsForItsDrive) {
    OpenWindow();
    AttachOnWindowThread(MakeSecondDrive(2));
    RunOnWindowThread(frame, [] { Program().drives.ignoreDeviceChanges = 1; });
    SendVolumeChange(DBT_DEVICEARRIVAL);
    EXPECT_EQ(TreeItemsOf(tree).children, std::vector<std::wstring>{drive.driveName});
    RunOnWindowThread(frame, [] { Program().drives.ignoreDeviceChanges = 0; });
    // Other notifications than arrival and removal change nothing either.
    SendVolumeChange(DBT_DEVNODES_CHANGED);
    EXPECT_EQ(TreeItemsOf(tree).children, std::vector<std::wstring>{drive.driveName});
    SendVolumeChange(DBT_DEVICEARRIVAL);
    EXPECT_EQ(TreeItemsOf(tree).children.size(), 2u);
}

TEST_F(MainWindowDrives, AttachingAnImageFromTheFileMenuListsAndSelectsIt) {
    OpenWindow();
    const std::string second = MakeSecondDrive(4);
    Command(ID_FILE_ATTACH_IMAGE);
    OpenDialog chooser = WaitForDialog();
    ASSERT_NE(chooser.hwnd, nullptr);
    EXPECT_EQ(chooser.caption, L"Attach an image file as a USB Flash Drive");
    ASSERT_TRUE(ChooseFileInDialog(chooser, Wide(second)));
    ASSERT_TRUE(WaitUntil([&] { return TreeItemsOf(tree).children.size() == 2; }));
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 4; }));
    ASSERT_TRUE(WaitForJobs());
    const std::wstring added = TreeItemsOf(tree).children[1];
    EXPECT_EQ(WindowTextOf(frame), Title(added));
    RunOnWindowThread(frame, [&] {
        for (const DriveRecord& image : ProcessAttachedImages().records()) {
            if (image.driveName == added) ProcessAttachedImages().Detach(image.deviceNumber);
        }
    });
}

TEST_F(MainWindowDrives, AttachingTheSameImageTwiceIsRefusedWithItsReason) {
    OpenWindow();
    Command(ID_FILE_ATTACH_IMAGE);
    OpenDialog chooser = WaitForDialog();
    ASSERT_NE(chooser.hwnd, nullptr);
    ASSERT_TRUE(ChooseFileInDialog(chooser, Wide(drivePath)));
    OpenDialog box = WaitForDialog();
    ASSERT_NE(box.hwnd, nullptr);
    EXPECT_NE(box.text.find(L"is attached already"), std::wstring::npos) << box.text;
    ASSERT_TRUE(AnswerDialog(box, IDOK));
    EXPECT_EQ(TreeItemsOf(tree).children.size(), 1u);
}

TEST_F(MainWindowDrives, DoubleClickingADriveOpensTheFormatDialog) {
    OpenWindow();
    ASSERT_TRUE(SelectTreeItem(tree, drive.driveName));
    const RECT item = FirstDriveItemRect(tree);
    ASSERT_GT(item.right, item.left);
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    PostMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(tree, WM_LBUTTONUP, 0, at);
    OpenDialog format = WaitForDialog();
    ASSERT_NE(format.hwnd, nullptr);
    EXPECT_EQ(format.caption, L"Format [" + drive.driveName + L"]");
    EXPECT_NE(GetDlgItem(format.hwnd, IDC_DRIVE_LIST), nullptr);
    EXPECT_TRUE(AnswerDialog(format, IDCANCEL));
}

}  // namespace

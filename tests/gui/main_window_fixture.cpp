// The main window fixture: the window's drive and thread, the reference core beside it.
#include "main_window_fixture.h"

#include <commctrl.h>
#include <dbt.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <map>
#include <mutex>

#include "app/image_drives.h"
#include "disk/attached_images.h"
#include "disk/pc_file.h"
#include "disk/wide_path.h"
#include "ui/explorer.h"
#include "ui/job_threads.h"
#include "ui/main_frame.h"
#include "ui/program_core.h"
#include "ui/resource.h"

namespace fs = std::filesystem;

namespace {
std::mutex explorerMutex;
std::vector<std::wstring> explorerStarts;

bool RecordStart(const std::wstring& commandLine) {
    std::lock_guard<std::mutex> lock(explorerMutex);
    explorerStarts.push_back(commandLine);
    return true;
}
}  // namespace

void MainWindowTest::SetUp() {
    static const INITCOMMONCONTROLSEX controls = {sizeof(controls), 0x04FF};
    InitCommonControlsEx(&controls);
    // Read by the first Program() only; every test gives the program its own key.
    UseProgramSettings(store.store().location());
    ProgramCore& program = Program();
    program.settings = store.store();
    program.drives.currentDrive.deviceNumber = -1;
    windowUpload = dir.File("win-up");
    windowBackup = dir.File("win-bak");
    std::wcsncpy(program.blocks.savePath, WideFromUtf8(windowUpload).c_str(), kPathChars - 1);
    std::wcsncpy(program.blocks.backupPath, WideFromUtf8(windowBackup).c_str(), kPathChars - 1);
    program.blocks.fileExistMode = blocks.fileExistMode = 0;
    program.blocks.dirDelAllFile = blocks.dirDelAllFile = 1;
    program.blocks.readOpenDirBit = 1;
    program.blocks.loadOpenDirBit = 0;
    TakeExplorerStarts();
    SetProcessStarter(RecordStart);

    MakeDrive(kBlocks);
    FormatDrive(kBlocks);
    image = dir.File("window.img");
    ASSERT_TRUE(CopyFileW(WideFromUtf8(drivePath).c_str(), WideFromUtf8(image).c_str(), FALSE));
    shown = AttachImage("window.img", 0);
    letter = Utf8FromWide(shown.driveName.substr(0, 1));
}

void MainWindowTest::TearDown() {
    ui.reset();
    WaitForJobs();
    for (int32_t number : attached_)
        ProcessAttachedImages().Detach(number);
    // A process starts with no drive current; the next window of this one must too.
    Program().drives.currentDrive.deviceNumber = -1;
    SetProcessStarter(nullptr);
}

void MainWindowTest::OpenWindow(bool waitForBlocks) {
    ui = std::make_unique<UiThread>([](HWND) { return RunMainWindow(SW_SHOWNORMAL); });
    ASSERT_TRUE(WaitUntil([this] {
        frame = FindWindowW(kMainFrameClass, nullptr);
        return ui->ended() || (frame && IsWindowVisible(frame));
    })) << "the window did not show within 30 s";
    ASSERT_FALSE(ui->ended()) << "the window's thread ended before the window showed; exit code " << ui->Result();
    list = GetDlgItem(frame, IDC_BLOCK_LIST);
    tree = GetDlgItem(frame, IDC_DEVICE_TREE);
    if (!waitForBlocks) return;
    ASSERT_TRUE(WaitUntil([this] { return RowCount(list) == kBlocks; })) << Rows(list);
    ASSERT_TRUE(WaitForJobs());
}

int MainWindowTest::CloseWindow() {
    PostMessageW(frame, WM_CLOSE, 0, 0);
    const int code = ui->Result();
    ui.reset();
    frame = list = tree = nullptr;
    Program().drives.currentDrive.deviceNumber = -1;
    return code;
}

bool MainWindowTest::WaitForJobs() {
    return WaitUntil([] { return !JobWorkersPending(); });
}

DriveRecord MainWindowTest::AttachImage(const std::string& name, uint32_t lastSector) {
    const std::wstring path = WideFromUtf8(dir.File(name));
    if (lastSector) {
        PcFile file;
        EXPECT_TRUE(file.Open(path, PcFile::Mode::CreateAlways) &&
                    file.SetSize((uint64_t{lastSector} + 1) * kSectorSize));
    }
    DriveRecord added;
    int status = -1;
    auto attach = [&] { status = AttachImageDrive(path, &added); };
    frame ? RunOn(frame, attach) : attach();
    EXPECT_EQ(status, ATTACH_OK) << name;
    attached_.push_back(added.deviceNumber);
    return added;
}

void MainWindowTest::VolumeChange(WPARAM event) {
    DEV_BROADCAST_DEVICEINTERFACE_W header = {};
    header.dbcc_size = sizeof(header);
    header.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    SendMessageW(frame, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&header));
}

int MainWindowTest::Reference(int kind, const std::vector<int>& rows) {
    if (!CopyFileW(WideFromUtf8(image).c_str(), WideFromUtf8(drivePath).c_str(), FALSE) || Run(JOB_LIST) != 0)
        return -2;
    Select(rows);
    return Run(kind);
}

std::string MainWindowTest::ReferenceRows() {
    Reference(JOB_LIST, {});
    return frontEnd.Table();  // no row selected: no marks
}

std::string MainWindowTest::Differences(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    std::string sectors;
    int count = 0;
    for (size_t at = 0; at < a.size(); at += kSectorSize)
        if (a.compare(at, kSectorSize, b, at, kSectorSize) != 0 && ++count <= 8)
            sectors += " " + std::to_string(at / kSectorSize);
    return count ? std::to_string(count) + " sectors differ, from" + sectors : "";
}

std::string MainWindowTest::Contents(const std::string& root) {
    std::map<std::string, std::string> lines;
    std::error_code error;
    const fs::path base = fs::u8path(root);
    for (auto it = fs::recursive_directory_iterator(base, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        const std::string path = it->path().lexically_relative(base).generic_u8string();
        const std::string bytes = it->is_directory() ? std::string() : ReadWholeFile(it->path().u8string());
        uint32_t hash = 2166136261u;  // FNV-1a
        for (unsigned char c : bytes)
            hash = (hash ^ c) * 16777619u;
        char tail[32];
        std::snprintf(tail, sizeof tail, " %zu %08x", bytes.size(), hash);
        lines[path] = it->is_directory() ? path + "/" : path + tail;
    }
    std::string text;
    for (const auto& line : lines)
        text += line.second + "\n";
    return text;
}

std::vector<std::wstring> MainWindowTest::TakeExplorerStarts() {
    std::lock_guard<std::mutex> lock(explorerMutex);
    std::vector<std::wstring> starts;
    starts.swap(explorerStarts);
    return starts;
}

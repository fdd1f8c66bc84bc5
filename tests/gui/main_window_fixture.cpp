// The main window fixture: the drive, the window's thread, the reference core.
#include "main_window_fixture.h"

#include <commctrl.h>
#include <objbase.h>

#include <cwchar>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "app/image_drives.h"
#include "blocks/local_time.h"
#include "disk/attached_images.h"
#include "disk/image_drive.h"
#include "disk/pc_file.h"
#include "disk/wide_path.h"
#include "support/image_format_host.h"
#include "ui/explorer.h"
#include "ui/job_threads.h"
#include "ui/main_frame.h"
#include "ui/program_core.h"

namespace fs = std::filesystem;

namespace {
std::mutex explorerMutex;
std::vector<std::wstring> explorerStarts;

bool RecordStart(const std::wstring& commandLine) {
    std::lock_guard<std::mutex> lock(explorerMutex);
    explorerStarts.push_back(commandLine);
    return true;
}

void SetPath(wchar_t (&field)[kPathChars], const std::string& path) {
    std::wstring wide = WideFromUtf8(path);
    std::wcsncpy(field, wide.c_str(), kPathChars - 1);
    field[kPathChars - 1] = L'\0';
}

LocalTime TestTime() {
    LocalTime time;
    time.year = 2026;
    time.month = 12;
    time.day = 5;
    time.hour = 19;
    time.minute = 59;
    time.second = 44;
    return time;
}

void InitControlsOnce() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX init = {};
        init.dwSize = sizeof(init);
        init.dwICC = 0x04FF;
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)done;
}
}  // namespace

MainWindowTest::MainWindowTest()
    : referenceRunner(referenceBlocks, reference, [](const DriveRecord& record) -> std::unique_ptr<RawDrive> {
          return ImageDrive::Open(record.imagePath);
      }) {
    InitControlsOnce();
    // The first use of the program's objects reads the settings from here; later tests get
    // keys of their own too.
    UseProgramSettings(store.store().location());
    Program().settings = store.store();
}

MainWindowTest::~MainWindowTest() = default;

void MainWindowTest::SetUp() {
    FixLocalTime(TestTime());
    drivePath = dir.File("drive.img");
    referencePath = dir.File("ref.img");
    uploadRoot = dir.File("up");
    backupRoot = dir.File("bak");
    referenceUpload = dir.File("ref-up");
    referenceBackup = dir.File("ref-bak");

    ProgramCore& program = Program();
    program.drives.currentDrive.deviceNumber = -1;
    SetPath(program.blocks.savePath, uploadRoot);
    SetPath(program.blocks.backupPath, backupRoot);
    program.blocks.fileExistMode = 0;
    program.blocks.dirDelAllFile = 1;
    program.blocks.readOpenDirBit = 1;
    SetPath(referenceBlocks.savePath, referenceUpload);
    SetPath(referenceBlocks.backupPath, referenceBackup);
    referenceBlocks.fileExistMode = 0;
    referenceBlocks.dirDelAllFile = 1;
    referenceBlocks.readOpenDirBit = 1;
    {
        std::lock_guard<std::mutex> lock(explorerMutex);
        explorerStarts.clear();
    }
    SetProcessStarter(RecordStart);
    AttachDrive();
    MakeDrive();
}

void MainWindowTest::TearDown() {
    if (!frame && ui_.joinable()) frame = FindMainWindow();
    if (frame && IsWindow(frame)) CloseWindow();
    // A window that never showed: end its loop so that the thread can be joined.
    if (ui_.joinable() && !uiEnded_) PostThreadMessageW(uiThreadId_, WM_QUIT, 0, 0);
    if (ui_.joinable()) ui_.join();
    WaitForJobs();
    if (attached) ProcessAttachedImages().Detach(drive.deviceNumber);
    attached = false;
    Program().drives.currentDrive.deviceNumber = -1;
    ClearFixedLocalTime();
}

void MainWindowTest::AttachDrive() {
    // The file must exist at its full size before it is attached.
    PcFile file;
    ASSERT_TRUE(file.Open(WideFromUtf8(drivePath), PcFile::Mode::CreateAlways));
    ASSERT_TRUE(file.SetSize((static_cast<uint64_t>(kBlocks) * kSlotSectors + 1) * kSectorSize));
    file.Close();
    ASSERT_EQ(AttachImageDrive(WideFromUtf8(drivePath), &drive), ATTACH_OK);
    attached = true;
}

void MainWindowTest::MakeDrive() {
    ImageFormatHost host(sectors, WideFromUtf8(drivePath));
    ASSERT_EQ(referenceBlocks.FormatDrive(host, kBlocks, Format144M, 1, DosNone), 0);

    // Folders with long names in blocks 1 and 2, saved by the reference core.
    const std::string seed = dir.File("seed");
    PutFile(seed + "/FLOPPY001/Letters and reports/Letter to the reader.txt", "Dear reader,\r\nhello.\r\n");
    PutFile(seed + "/FLOPPY001/Letters and reports/Drafts/Unfinished draft.txt", std::string(3000, 'd'));
    PutFile(seed + "/FLOPPY002/README.TXT", "Saved games\r\n");
    PutFile(seed + "/FLOPPY002/Game saves/Castle level 12.sav", std::string(180000, 'c'));
    referenceRunner.SetDirectoryRoot(WideFromUtf8(seed));
    CopyFileOver(drivePath, referencePath);
    ASSERT_EQ(RunReferenceJob(JOB_SAVE, {1, 2}), 0);
    referenceRunner.SetDirectoryRoot(std::wstring());
    CopyFileOver(referencePath, drivePath);
}

int MainWindowTest::RunReferenceJob(int kind, const std::vector<int>& blocks) {
    DriveRecord record = drive;
    record.imagePath = WideFromUtf8(referencePath);
    int result = -2;
    if (!referenceRunner.RunJob(JOB_LIST, record, &result) || result != 0) return result;
    reference.SelectBlocks(blocks);
    if (!referenceRunner.RunJob(kind, record, &result)) return -2;
    return result;
}

std::vector<Row> MainWindowTest::ReferenceRows() {
    CopyFileOver(drivePath, referencePath);
    DriveRecord record = drive;
    record.imagePath = WideFromUtf8(referencePath);
    int result = -2;
    referenceRunner.RunJob(JOB_LIST, record, &result);
    std::vector<Row> rows;
    for (const auto& row : reference.list.rows)
        rows.push_back(Row{row.cells[0], row.cells[1], row.cells[2], row.cells[3]});
    return rows;
}

void MainWindowTest::OpenWindow(bool waitForBlocks) {
    uiEnded_ = false;
    ui_ = std::thread([this] {
        uiThreadId_ = GetCurrentThreadId();
        CoInitialize(nullptr);
        exitCode = RunMainWindow(SW_SHOWNORMAL);
        CoUninitialize();
        uiEnded_ = true;
    });
    // Generous: a loaded machine under Wine can take seconds to show the first window.
    ASSERT_TRUE(
        WaitUntil([this] { return uiEnded_ || (FindMainWindow() && IsWindowVisible(FindMainWindow())); }, 30000));
    ASSERT_FALSE(uiEnded_) << "the window's thread ended before the window showed; exit code " << exitCode;
    frame = FindMainWindow();
    list = BlockListOf(frame);
    tree = DeviceTreeOf(frame);
    if (waitForBlocks) {
        ASSERT_TRUE(WaitUntil([this] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == kBlocks; }));
        ASSERT_TRUE(WaitForJobs());
    }
}

int MainWindowTest::CloseWindow() {
    PostMessageW(frame, WM_CLOSE, 0, 0);
    if (ui_.joinable()) ui_.join();
    frame = list = tree = nullptr;
    // A process starts with no drive current; the next window of this one must too.
    Program().drives.currentDrive.deviceNumber = -1;
    return exitCode;
}

bool MainWindowTest::WaitForJobs(int timeoutMs) {
    return WaitUntil([] { return !JobWorkersPending(); }, timeoutMs);
}

std::vector<std::wstring> MainWindowTest::ExplorerStarts() {
    std::lock_guard<std::mutex> lock(explorerMutex);
    return explorerStarts;
}

void MainWindowTest::PutFile(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::u8path(path).parent_path());
    std::ofstream out(fs::u8path(path), std::ios::binary);
    out << bytes;
}

std::map<std::string, std::string> MainWindowTest::FolderContents(const std::string& root) {
    std::map<std::string, std::string> contents;
    std::error_code error;
    const fs::path base = fs::u8path(root);
    for (auto it = fs::recursive_directory_iterator(base, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        std::string relative = it->path().lexically_relative(base).generic_u8string();
        if (it->is_directory()) {
            contents[relative + "/"] = std::string();
        } else {
            contents[relative] = FileBytes(it->path().u8string());
        }
    }
    return contents;
}

std::string MainWindowTest::FileBytes(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::wstring MainWindowTest::Wide(const std::string& path) {
    return WideFromUtf8(path);
}

void MainWindowTest::CopyFileOver(const std::string& from, const std::string& to) {
    ASSERT_TRUE(CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE)) << from << " -> " << to;
}

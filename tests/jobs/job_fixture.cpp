// The job test fixture's drive, runner and helpers.
#include "tests/jobs/job_fixture.h"

#include <cwchar>
#include <filesystem>
#include <fstream>

#include "disk/image_drive.h"
#include "disk/pc_file.h"
#include "disk/system_error.h"
#include "disk/wide_path.h"
#include "jobs/format_worker.h"
#include "support/image_format_host.h"

namespace {

void SetPath(wchar_t (&field)[kPathChars], const std::string& path) {
    std::wstring wide = WideFromUtf8(path);
    std::wcsncpy(field, wide.c_str(), kPathChars - 1);
}
}  // namespace

LocalTime JobTestTime() {
    LocalTime time;
    time.year = 2026;
    time.month = 12;
    time.day = 5;
    time.hour = 19;
    time.minute = 59;
    time.second = 44;
    return time;
}

JobTest::JobTest(uint32_t slots)
    : runner(blocks, frontEnd, [this](const DriveRecord& record) -> std::unique_ptr<RawDrive> {
          ++opens;
          if (openFails) {
              SetLastSystemError(5);
              return nullptr;
          }
          return ImageDrive::Open(record.imagePath);
      }) {
    FixLocalTime(JobTestTime());
    drivePath = dir.File("drive.img");
    PcFile file;
    EXPECT_TRUE(file.Open(WideFromUtf8(drivePath), PcFile::Mode::CreateAlways));
    EXPECT_TRUE(file.SetSize((static_cast<uint64_t>(slots) * kSlotSectors + 1) * kSectorSize));
    file.Close();

    drive.deviceNumber = 1000;
    drive.lastSector = slots * kSlotSectors;
    drive.driveName = L"Y:";
    drive.deviceName = L"drive.img";
    drive.imagePath = WideFromUtf8(drivePath);

    uploadRoot = dir.File("up");
    backupRoot = dir.File("back");
    SetPath(blocks.savePath, uploadRoot);
    SetPath(blocks.backupPath, backupRoot);
    blocks.fileExistMode = 0;
    blocks.dirDelAllFile = 1;
    blocks.readOpenDirBit = 1;
}

JobTest::~JobTest() {
    ClearFixedLocalTime();
}

void JobTest::FormatDrive(uint32_t count, int format) {
    ImageFormatHost host(sectors, drive.imagePath);
    FormatWorker worker(blocks);
    JobParameters parameters;
    parameters.floppyFormat = format;
    parameters.quickFormat = 1;
    ASSERT_EQ(worker.Run(host, count, parameters, nullptr), 0);
    ASSERT_EQ(Run(JOB_LIST), 0);
    ASSERT_EQ(frontEnd.RowCount(), static_cast<int>(count));
    frontEnd.log.clear();
    frontEnd.list.statusTexts.clear();
}

int JobTest::Run(int kind) {
    int result = 0x7777;
    EXPECT_TRUE(runner.RunJob(kind, drive, &result)) << "job " << kind << " was dropped";
    return result;
}

std::string JobTest::Sep() const {
#ifdef _WIN32
    return "\\";
#else
    return "/";
#endif
}

std::string JobTest::DriveLevel() const {
#ifdef _WIN32
    return "Y";
#else
    return "drive.img";
#endif
}

std::string JobTest::UploadDir(uint32_t block) const {
    char name[16];
    std::snprintf(name, sizeof name, "FLOPPY%03u", block);
    return uploadRoot + Sep() + DriveLevel() + Sep() + name;
}

std::string JobTest::StampedBackupDir() const {
    return backupRoot + Sep() + "20261205195944" + Sep() + DriveLevel();
}

bool JobTest::Exists(const std::string& path) {
    return std::filesystem::exists(std::filesystem::u8path(path));
}

std::vector<std::wstring> JobTest::Progress() const {
    std::vector<std::wstring> texts;
    for (const auto& text : frontEnd.list.statusTexts)
        if (text != L" ") texts.push_back(text);
    return texts;
}

std::string JobTest::Slot(uint32_t block) const {
    std::ifstream in(std::filesystem::u8path(drivePath), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(block) * kBlockImageSize);
    std::string bytes(kBlockImageSize, '\0');
    in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void JobTest::PutFile(const std::string& path, const std::string& bytes) {
    std::filesystem::path p = std::filesystem::u8path(path);
    std::filesystem::create_directories(p.parent_path());
    WriteWholeFile(path, bytes);
}

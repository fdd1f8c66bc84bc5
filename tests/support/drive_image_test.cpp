#include "support/drive_image_test.h"

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>

#include "blocks/local_time.h"
#include "disk/image_drive.h"
#include "disk/pc_file.h"
#include "disk/system_error.h"
#include "disk/wide_path.h"
#include "jobs/format_worker.h"
#include "support/image_format_host.h"

namespace {
namespace fs = std::filesystem;

void SetPath(wchar_t (&field)[kPathChars], const std::string& path) {
    std::wstring wide = WideFromUtf8(path);
    std::wcsncpy(field, wide.c_str(), kPathChars - 1);
}

std::unique_ptr<RawDrive> OpenThroughPlan(const std::wstring& path,
                                          const std::shared_ptr<FaultPlan>& plan,
                                          bool forWriting) {
    std::unique_ptr<RawDrive> image = ImageDrive::Open(path, forWriting);
    if (!image) return nullptr;
    return std::make_unique<FaultDrive>(std::move(image), plan);
}
}  // namespace

DriveImageTest::DriveImageTest()
    : runner(blocks, frontEnd, [this](const DriveRecord& record, bool forWriting) -> std::unique_ptr<RawDrive> {
          ++opens;
          if (openFails) {
              SetLastSystemError(5);
              return nullptr;
          }
          return OpenThroughPlan(record.imagePath, faults, forWriting);
      }) {
    LocalTime time;
    time.year = 2026;
    time.month = 12;
    time.day = 5;
    time.hour = 19;
    time.minute = 59;
    time.second = 44;
    FixLocalTime(time);
    blocks.dosFilesRoot = std::wstring();  // the carried system files, not a user's folder
    uploadRoot = dir.File("up");
    backupRoot = dir.File("back");
    SetPath(blocks.savePath, uploadRoot);
    SetPath(blocks.backupPath, backupRoot);
}

DriveImageTest::~DriveImageTest() {
    sectors.CloseDrive();
    ClearFixedLocalTime();
}

void DriveImageTest::MakeDrive(uint32_t slots, uint32_t extraSectors) {
    sectors.CloseDrive();
    drivePath = dir.File("drive.img");
    uint64_t count = uint64_t{slots} * kSlotSectors + extraSectors;
    PcFile file;
    ASSERT_TRUE(file.Open(WideFromUtf8(drivePath), PcFile::Mode::CreateAlways));
    ASSERT_TRUE(file.SetSize(count * kSectorSize));  // sparse: large drives cost nothing
    file.Close();
    drive = DriveRecord();
    drive.deviceNumber = 1000;
    drive.lastSector = static_cast<uint32_t>(count - 1);
    drive.driveName = L"Y:";
    drive.deviceName = L"drive.img";
    drive.imagePath = WideFromUtf8(drivePath);
}

void DriveImageTest::AttachDrive() {
    std::unique_ptr<RawDrive> raw = OpenThroughPlan(drive.imagePath, faults, true);
    ASSERT_NE(raw, nullptr) << "cannot open " << drivePath;
    sectors.AttachDrive(std::move(raw));
}

void DriveImageTest::FormatDrive(uint32_t count, int format, int dos) {
    sectors.CloseDrive();
    ImageFormatHost host(sectors, drive.imagePath);
    FormatWorker worker(blocks);
    JobParameters parameters;
    parameters.floppyFormat = format;
    parameters.quickFormat = 1;
    parameters.dosSystem = dos;
    ASSERT_EQ(worker.Run(host, count, parameters, nullptr), 0);
    ASSERT_EQ(Run(JOB_LIST), 0);
    ASSERT_EQ(frontEnd.RowCount(), static_cast<int>(count));
    frontEnd.log.clear();
    faults->transfers.clear();
}

int DriveImageTest::Run(int kind) {
    int result = 0x7777;
    EXPECT_TRUE(runner.RunJob(kind, drive, &result)) << "job " << kind << " was dropped";
    return result;
}

std::string DriveImageTest::DriveBytes(uint64_t firstSector, uint32_t count) const {
    std::ifstream in(fs::u8path(drivePath), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(firstSector * kSectorSize));
    std::string bytes(size_t{count} * kSectorSize, '\0');
    in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

void DriveImageTest::WriteDriveBytes(uint64_t firstSector, const std::string& bytes) {
    bool attached = sectors.HasDrive();
    sectors.CloseDrive();  // Windows lets nobody else write a file the drive holds open
    {
        std::fstream out(fs::u8path(drivePath), std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(static_cast<std::streamoff>(firstSector * kSectorSize));
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    if (attached) AttachDrive();
}

std::string DriveImageTest::Sep() {
#ifdef _WIN32
    return "\\";
#else
    return "/";
#endif
}

std::string DriveImageTest::UploadDir(uint32_t block) const {
    char name[16];
    std::snprintf(name, sizeof name, "FLOPPY%03u", block);
#ifdef _WIN32
    const std::string level = "Y";
#else
    const std::string level = "drive.img";
#endif
    return uploadRoot + Sep() + level + Sep() + name;
}

std::string DriveImageTest::BackupDir() const {
#ifdef _WIN32
    const std::string level = "Y";
#else
    const std::string level = "drive.img";
#endif
    return backupRoot + Sep() + kTestStamp + Sep() + level;
}

void DriveImageTest::PutFile(const std::string& path, const std::string& bytes) {
    fs::path p = fs::u8path(path);
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool DriveImageTest::Exists(const std::string& path) { return fs::exists(fs::u8path(path)); }

// The rules a job takes its places and limits from: where open, save and backup put a drive's
// blocks on Windows and elsewhere, and how many blocks a drive can be formatted into.
#include <gtest/gtest.h>

#include "jobs/format_worker.h"
#include "jobs/job_directories.h"

namespace {

TEST(JobDirectories, TheDriveLevelIsTheLetterOnWindowsAndTheFilesNameElsewhereUnlessARootIsGiven) {
    const DirectoryStyle windows{L'\\', true}, posix{L'/', false};
    const struct {
        DirectoryStyle style;
        const wchar_t *driveName, *imagePath, *root, *blockDir, *backupDir;
    } cases[] = {
        {windows, L"E:", L"", L"", L"C:\\up\\E\\FLOPPY007", L"C:\\bak\\20261205195944\\E"},
        {windows, L"Y:", L"C:\\images\\demo.img", L"", L"C:\\up\\Y\\FLOPPY007", L"C:\\bak\\20261205195944\\Y"},
        {windows, L"E:", L"", L"D:\\out\\", L"D:\\out\\FLOPPY007", L"D:\\out\\20261205195944"},
        {posix, L"Y:", L"/home/me/demo.img", L"", L"C:\\up/demo.img/FLOPPY007", L"C:\\bak/20261205195944/demo.img"},
        {posix, L"/dev/sdb", L"/dev/sdb", L"", L"C:\\up/sdb/FLOPPY007", L"C:\\bak/20261205195944/sdb"},
        {posix, L"/dev/sdc", L"", L"", L"C:\\up/sdc/FLOPPY007", L"C:\\bak/20261205195944/sdc"},
        {posix, L"Y:", L"/x/demo.img", L"/tmp/out/", L"/tmp/out/FLOPPY007", L"/tmp/out/20261205195944"},
    };
    for (const auto& c : cases) {
        DriveRecord drive;
        drive.driveName = c.driveName;
        drive.imagePath = c.imagePath;
        JobDirectories dirs(c.style, drive, c.root);
        EXPECT_EQ(dirs.BlockDirectory(dirs.UploadRoot(L"C:\\up"), 7), c.blockDir) << c.driveName << " " << c.imagePath;
        EXPECT_EQ(dirs.BackupRoot(L"C:\\bak", L"20261205195944"), c.backupDir) << c.driveName << " " << c.imagePath;
    }
}

TEST(FormatBlockLimit, IsTheLastSectorNumberOverASlotAtMostOneHundred) {
    const uint32_t lastSectors[] = {3071, 3072 * 5 - 1, 3072 * 5, 3072 * 250};
    std::vector<uint32_t> limits;
    for (uint32_t last : lastSectors)
        limits.push_back(MaxFormatBlocks(last));
    EXPECT_EQ(limits, (std::vector<uint32_t>{0, 4, 5, 100}));
}

}  // namespace

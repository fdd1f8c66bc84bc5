// Image files attached as drives: the letter and number each one gets, and the refusals, as one
// sequence of steps and outcomes: tests/golden/disk/attached_images.txt.
#include "disk/attached_images.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "disk/drive_list.h"
#include "disk/system_error.h"
#include "disk/wide_path.h"
#include "support/golden.h"
#include "support/temp_dir.h"

namespace {

TEST(AttachedImages, LettersAndNumbersAreAssignedAndImagesRefusedStepByStep) {
    TempDir dir;
    AttachedImages images;
    DriveList listed;
    ExpectGoldenTable("disk/attached_images.txt", [&](const std::string& step) {
        std::istringstream in(step);
        std::string verb, name, ignored, letters;
        uint64_t bytes = 0;
        in >> verb >> name >> bytes >> ignored >> ignored >> letters;
        if (verb == "detach") return std::string(images.Detach(std::stoi(name)) ? "detached" : "not attached");
        if (verb == "stick") {
            DriveRecord stick;
            stick.deviceNumber = CountListedDrives(listed) + 1;
            stick.lastSector = 100000;
            stick.driveName = WideFromUtf8(name);
            return std::to_string(AddDriveRecord(listed, stick)) + ": listed";
        }
        if (bytes != 0) {
            const std::filesystem::path file = FsPath(dir.WFile(name));  // not through the ANSI code page
            std::ofstream{file};
            std::filesystem::resize_file(file, bytes);
        }
        DriveRecord record;
        int status = images.Attach(dir.WFile(name), listed, &record, WideFromUtf8(letters));
        if (status == ATTACH_OK) return Utf8FromWide(DriveListLine(record));
        if (status == ATTACH_WIN_ERROR) return "refused: system error " + std::to_string(LastSystemError());
        std::string text = Utf8FromWide(AttachStatusText(status, dir.WFile(name)));
        return "refused: " + text.replace(text.find(dir.path()), dir.path().size(), "<dir>");
    });
}

}  // namespace

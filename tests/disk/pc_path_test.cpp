// Whole paths as the system reads them, one table for every platform:
// tests/golden/disk/pc_paths.txt.
#include "disk/pc_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "disk/system_error.h"
#include "disk/wide_path.h"
#include "support/golden.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// The current folder for one test, put back when it ends.
class CurrentFolder {
public:
    explicit CurrentFolder(const fs::path& folder) : before_(fs::current_path()) { fs::current_path(folder); }
    ~CurrentFolder() { fs::current_path(before_); }

private:
    fs::path before_;
};

TEST(PcPath, PathsAreMadeWholeSplitAndComparedAsTheSystemReadsThem) {
    TempDir dir;
    fs::create_directories(FsPath(dir.WFile("w/sub")));
    WriteWholeFile(dir.File("w/f.img"), std::string(3000, 'f'));
    WriteWholeFile(dir.File("w/g.img"), std::string(3000, 'f'));
    fs::create_hard_link(FsPath(dir.WFile("w/f.img")), FsPath(dir.WFile("w/hard.img")));
    CurrentFolder current(FsPath(dir.WFile("w")));
    // Outcomes name the scratch folder <dir> and show every separator as /.
    auto shown = [&](const std::wstring& path) {
        std::string text = Utf8FromWide(path);
        std::replace(text.begin(), text.end(), '\\', '/');
        const size_t at = text.find(dir.path());
        return at == std::string::npos ? text : text.replace(at, dir.path().size(), "<dir>");
    };
    ExpectGoldenTable("disk/pc_paths.txt", [&](const std::string& step) {
        std::istringstream in(step);
        std::string verb, first, second;
        in >> verb >> first >> second;
        for (std::string* arg : {&first, &second}) {
            if (arg->compare(0, 5, "<dir>") == 0) arg->replace(0, 5, dir.path());
        }
        const std::wstring a = WideFromUtf8(first), b = WideFromUtf8(second);
        if (verb == "absolute") return "\"" + shown(AbsolutePcPath(a)) + "\"";
        if (verb == "split") {
            std::wstring folder, name;
            SplitPcPath(AbsolutePcPath(a), &folder, &name);
            return shown(folder) + " | " + shown(name);
        }
        if (verb == "same") return std::string(SamePcFile(a, b) ? "same" : "different");
        if (verb == "resolved") {
            std::wstring resolved;
            if (!ResolvedPcPath(a, &resolved)) return "error " + std::to_string(LastSystemError());
            return shown(resolved);
        }
        if (verb == "size") {
            uint64_t size = 0;
            if (!PcPathSize(a, &size)) return "error " + std::to_string(LastSystemError());
            return std::to_string(size);
        }
        return "unknown step " + verb;
    });
}

#ifndef _WIN32
TEST(PcPath, LinksLeadToWhatTheyNameAndOnlyBlockDevicesCountAsDevices) {
    TempDir dir;
    WriteWholeFile(dir.File("f.img"), "f");
    fs::create_symlink(dir.path() + "/f.img", dir.path() + "/link");
    std::wstring resolved;
    ASSERT_TRUE(ResolvedPcPath(dir.WFile("link"), &resolved));
    EXPECT_EQ(resolved, AbsolutePcPath(WideFromUtf8(fs::canonical(dir.path()).string() + "/f.img")));
    EXPECT_TRUE(SamePcFile(dir.WFile("link"), dir.WFile("f.img")));
    EXPECT_FALSE(IsBlockDevicePath(dir.WFile("f.img")));
    EXPECT_FALSE(IsBlockDevicePath(L"/dev/null"));  // a character device
}
#endif

}  // namespace

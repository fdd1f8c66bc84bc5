// The volume check held against fsck.fat -n: each case in tests/golden/volume_check builds
// volumes (sound and damaged) in the engine's scenario language, and its `check` command gives
// our verdict with the problems found and whether fsck.fat's verdict on the same bytes agrees.
#include <gtest/gtest.h>

#include "tests/fatfs/engine_script.h"
#include "fatfs/file_engine.h"
#include "fatfs/volume_check.h"
#include "support/fat_tools.h"
#include "support/temp_dir.h"

namespace {

bool CheckCommand(const std::vector<std::string>& words, ScriptVolume& volume, std::vector<std::string>* out,
                  const TempDir& dir) {
    if (words[0] != "check") return false;
    if (volume.engine.fsMount() != FS_OK || volume.engine.fatType() != 1) {
        out->push_back("no FAT12 volume");
        return true;
    }
    VolumeCheckResult ours = CheckVolume(volume.slot, kBlockImageSize, volume.engine.volume());
    WriteWholeFile(dir.File("slot.img"),
                   std::string(reinterpret_cast<const char*>(volume.slot), kBlockImageSize));
    FsckReport fsck = RunFsck(dir.File("slot.img"));
    bool damaged = !ours.problems.empty();
    std::string verdict = damaged ? "damaged" : "ok";
    out->push_back(verdict + (damaged == FsckClean(fsck) ? "; fsck.fat DISAGREES, saying:" : "; fsck.fat agrees"));
    if (damaged == FsckClean(fsck)) out->push_back(fsck.output);
    out->insert(out->end(), ours.problems.begin(), ours.problems.end());
    return true;
}

class VolumeCheckCase : public ::testing::TestWithParam<std::string> {};

TEST_P(VolumeCheckCase, VerdictsAgreeWithFsck) {
    if (!FatToolsPresent()) GTEST_SKIP() << "dosfstools are not installed";
    TempDir dir;
    ExpectCaseRuns("volume_check", GetParam(), [&](const auto& words, ScriptVolume& volume, auto* out) {
        return CheckCommand(words, volume, out, dir);
    });
}

INSTANTIATE_TEST_SUITE_P(volume_check,
                         VolumeCheckCase,
                         ::testing::ValuesIn(CaseNames("volume_check")),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace

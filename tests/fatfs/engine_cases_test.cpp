// The file engine cases: each file in tests/golden/fatfs is a scenario whose commands are run on a
// fresh drive, and whose whole transcript must come out as the file has it. A new case is a new
// file; SLOTWISE_UPDATE_GOLDEN=1 fills in the results (read them before committing).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "engine_script.h"
#include "support/golden.h"
#include "support/temp_dir.h"

namespace {

const std::string kCases = std::string(SLOTWISE_SOURCE_DIR) + "/tests/golden/fatfs";

std::vector<std::string> CaseNames() {
    std::vector<std::string> names;
    for (const auto& file : std::filesystem::directory_iterator(kCases)) names.push_back(file.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

class EngineCase : public ::testing::TestWithParam<std::string> {};

TEST_P(EngineCase, RunsAsTheCaseFileSays) {
    ExpectGolden("fatfs/" + GetParam() + ".txt", RunEngineScript(ReadWholeFile(kCases + "/" + GetParam() + ".txt")));
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineCase, ::testing::ValuesIn(CaseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace

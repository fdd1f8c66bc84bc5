// The file engine cases: each file in tests/golden/fatfs is a scenario run on a fresh drive, whose
// whole transcript must come out as the file has it. A new case is a new file; with
// SLOTWISE_UPDATE_GOLDEN=1 the results are filled in (read them before committing).
#include <gtest/gtest.h>

#include "engine_script.h"

namespace {

class EngineCase : public ::testing::TestWithParam<std::string> {};

TEST_P(EngineCase, RunsAsTheCaseFileSays) {
    ExpectCaseRuns("fatfs", GetParam());
}

INSTANTIATE_TEST_SUITE_P(fatfs,
                         EngineCase,
                         ::testing::ValuesIn(CaseNames("fatfs")),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace

// The cases judged from outside: each file in tests/golden/oracle is a scenario on a volume image
// that mkfs.fat or mformat made, in which the tools and the engine write and every reader must
// agree; its whole transcript must come out as the file has it.
#include <gtest/gtest.h>

#include "oracle/oracle_commands.h"
#include "support/fat_tools.h"
#include "support/temp_dir.h"

namespace {

class OracleCase : public ::testing::TestWithParam<std::string> {};

TEST_P(OracleCase, RunsAsTheCaseFileSays) {
    if (!FatToolsPresent()) GTEST_SKIP() << "mtools or dosfstools are not installed";
    TempDir dir;
    ExpectCaseRuns("oracle", GetParam(), OracleCommands(dir.path()));
}

INSTANTIATE_TEST_SUITE_P(oracle,
                         OracleCase,
                         ::testing::ValuesIn(CaseNames("oracle")),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace

// One block's failure as slotwise-cli prints it, as a table: tests/golden/cli/failures.txt.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/failure_line.h"
#include "disk/wide_path.h"
#include "support/golden.h"

namespace {

// "block | status | damaged or unchanged | path | detail | root entries": the line printed.
std::string Line(const std::string& input) {
    std::vector<std::string> fields;
    std::stringstream in(input);
    for (std::string field; std::getline(in, field, '|');)
        fields.push_back(field.substr(field.find_first_not_of(' ') == std::string::npos ? field.size()
                                                                                        : field.find_first_not_of(' ')));
    for (std::string& field : fields)
        field.erase(field.find_last_not_of(' ') + 1);
    BlockFailure failure;
    failure.block = fields.at(0) == "-" ? kNoBlock : static_cast<uint32_t>(std::stoul(fields.at(0)));
    failure.status = std::stoi(fields.at(1));
    failure.mayBeDamaged = fields.at(2) == "damaged";
    failure.path = WideFromUtf8(fields.at(3));
    failure.detail = WideFromUtf8(fields.at(4));
    return Utf8FromWide(BlockFailureLine(failure, static_cast<uint32_t>(std::stoul(fields.at(5)))));
}

TEST(CliMessages, EachBlockFailureNamesTheBlockTheFileTheCauseAndTheBlocksState) {
    ExpectGoldenTable("cli/failures.txt", Line);
}

}  // namespace

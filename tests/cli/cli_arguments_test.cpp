// The BLOCKS argument of the job commands and the SIZE of create-image, as one table of inputs
// and outcomes: tests/golden/cli/arguments.txt.
#include <gtest/gtest.h>

#include "cli/block_selection.h"
#include "cli/size_argument.h"
#include "support/golden.h"

namespace {

// "BLOCKS 'text'" or "SIZE 'text'": the blocks chosen, the bytes, or the refusal.
std::string Outcome(const std::string& input) {
    const std::string text = input.substr(input.find('\'') + 1, input.rfind('\'') - input.find('\'') - 1);
    if (input.rfind("SIZE", 0) == 0) {
        uint64_t bytes = 0;
        return ParseSizeArgument(text, &bytes) ? std::to_string(bytes) + " bytes" : "refused";
    }
    BlockSelection selection;
    std::string error, blocks;
    if (!ParseBlockSelection(text, &selection, &error)) return "refused: " + error;
    for (uint32_t block : selection.blocks)
        blocks += (blocks.empty() ? "" : " ") + std::to_string(block);
    return selection.all ? "all" : blocks;
}

TEST(CliArguments, BlocksAndSizesAreTakenOrRefusedWithAReason) {
    ExpectGoldenTable("cli/arguments.txt", Outcome);
}

}  // namespace

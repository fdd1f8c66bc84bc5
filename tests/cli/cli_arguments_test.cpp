// The BLOCKS argument of the job commands and the SIZE of create-image: what each accepts, and
// what it refuses with which reason. One row per input; the outcome compared as text.
#include <gtest/gtest.h>

#include "cli/block_selection.h"
#include "cli/size_argument.h"

namespace {

std::string Selected(const std::string& text) {
    BlockSelection selection;
    std::string error;
    if (!ParseBlockSelection(text, &selection, &error)) return "error: " + error;
    if (selection.all) return "all";
    std::string out;
    for (uint32_t block : selection.blocks)
        out += (out.empty() ? "" : " ") + std::to_string(block);
    return out;
}

TEST(BlocksArgument, ChoosesTheNamedBlocksOrSaysWhyNot) {
    const struct {
        const char* text;
        std::string outcome;
    } rows[] = {
        {"3", "3"},
        {"0,4,7-9", "0 4 7 8 9"},
        {" 1 - 3 , 5 ", "1 2 3 5"},
        {"5,5,4-5", "4 5"},
        {"003,99", "3 99"},
        {"all", "all"},
        {" all ", "all"},
        {"ALL", "error: 'ALL' is not a block number or range (BLOCKS is like 3, 0,4,7-9 or all)"},
        {"100", "error: block numbers go from 0 to 99: '100'"},
        {"98-100", "error: block numbers go from 0 to 99: '98-100'"},
        {"3-1", "error: the range '3-1' runs backwards"},
        {"0003", "error: '0003' is not a block number or range (BLOCKS is like 3, 0,4,7-9 or all)"},
        {"", "error: '' is not a block number or range (BLOCKS is like 3, 0,4,7-9 or all)"},
        {"1,", "error: '' is not a block number or range (BLOCKS is like 3, 0,4,7-9 or all)"},
        {"1,,2", "error: '' is not a block number or range (BLOCKS is like 3, 0,4,7-9 or all)"},
        {"-1", "error: '-1' is not a block number or range (BLOCKS is like 3, 0,4,7-9 or all)"},
        {"1-2-3", "error: '1-2-3' is not a block number or range (BLOCKS is like 3, 0,4,7-9 or all)"},
        {"1 2", "error: '1 2' is not a block number or range (BLOCKS is like 3, 0,4,7-9 or all)"},
        {"+1", "error: '+1' is not a block number or range (BLOCKS is like 3, 0,4,7-9 or all)"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Selected(row.text), row.outcome) << "BLOCKS '" << row.text << "'";
}

TEST(SizeArgument, TakesWholeSectorsInBinaryUnits) {
    const struct {
        const char* text;
        uint64_t bytes;  // 0: refused
    } rows[] = {
        {"157286912", 157286912},  {"64M", 64ull << 20}, {"64m", 64ull << 20}, {"64MB", 64ull << 20},
        {"64MiB", 0},    {"1536K", 1572864},   {"1G", 1ull << 30},   {"1024G", 1ull << 40},
        {"1025G", 0},              {"1T", 0},            {"64Q", 0},           {"64MQ", 0},
        {"0", 0},                  {"0M", 0},            {"100", 0},           {"513", 0},
        {"", 0},                   {"M", 0},             {"-1M", 0},           {"1.5M", 0},
        {" 64M", 0},               {"99999999999999999999", 0},
    };
    for (const auto& row : rows) {
        uint64_t bytes = 0;
        bool accepted = ParseSizeArgument(row.text, &bytes);
        EXPECT_EQ(accepted ? bytes : 0, row.bytes) << "SIZE '" << row.text << "'";
        EXPECT_EQ(accepted, row.bytes != 0) << "SIZE '" << row.text << "'";
    }
}

}  // namespace

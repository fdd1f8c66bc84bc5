// The BLOCKS argument: "3", "0,4,7-9" or "all", and choosing the block list's rows by it.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "cli/terminal_frontend.h"

struct BlockSelection {
    bool all = false;
    std::set<uint32_t> blocks;
};

constexpr uint32_t kMaxBlockNumber = 99;

// Parses text; false with a message in *error for anything but numbers from 0 to 99, ranges
// "a-b" with a <= b, commas between them, or the word all.
bool ParseBlockSelection(const std::string& text, BlockSelection* selection, std::string* error);

// Selects the rows whose block numbers the selection names (every row for all). False when a
// named block is not on the drive, with *missing set to the first such block.
bool SelectRows(const BlockSelection& selection, std::vector<TerminalFrontEnd::ListRow>& rows, uint32_t* missing);

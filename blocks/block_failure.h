// What went wrong with one block, for a front end to tell the user in its own words: the block,
// the status, the PC file or folder concerned, whether the block on the drive may now be damaged,
// and the cause where the status alone does not say it.
#pragma once

#include <cstdint>
#include <string>

// The block of a failure that concerns the drive as a whole: a count it cannot hold, a drive
// that cannot be opened.
constexpr uint32_t kNoBlock = 0xFFFFFFFFu;

struct BlockFailure {
    uint32_t block = kNoBlock;
    int status = 0;             // a block status (blocks/block_status.h) or a file engine status
    std::wstring path;          // the PC file or folder concerned; empty when none
    bool mayBeDamaged = false;  // a write to the block's slot began and did not complete and verify
    uint32_t systemError = 0;   // the last system error, for status -1
    std::wstring detail;        // the cause in words, e.g. "the root directory is full (224 entries)"
};

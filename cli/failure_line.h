// One block's failure as slotwise-cli tells it, on one line: the block, the PC path, the cause
// and whether the block on the drive may now be damaged, with what to do where that is clear.
#pragma once

#include <cstdint>
#include <string>

#include "blocks/block_failure.h"

// rootEntries: the size of the block's root directory, for the cause of a full one (0: unknown).
std::wstring BlockFailureLine(const BlockFailure& failure, uint32_t rootEntries);

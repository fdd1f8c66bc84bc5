// The block header: the last sector of every slot, with the "UPDATE TIME:" record of the
// block's last write and, in block 0, the "MAX BLOCK:" record of the drive's block count.
#pragma once

#include <cstdint>

constexpr uint32_t kHeaderSector = 3071;  // block-relative
constexpr uint32_t kMaxBlocks = 100;      // blocks a drive can carry
// A block's head: the boot sector and the whole first FAT of every format, all that recognising
// the format and counting free clusters read.
constexpr uint32_t kBlockHeadSectors = 16;

constexpr char kUpdateTimeTag[] = "UPDATE TIME:";  // at offset 0, 12 bytes, no terminator
constexpr uint32_t kUpdateTimeTagLength = 12;
constexpr char kMaxBlockTag[] = "MAX BLOCK:";  // block 0 only, 10 bytes, no terminator
constexpr uint32_t kMaxBlockTagLength = 10;
constexpr uint32_t kMaxBlockOffset = 80;
constexpr uint32_t kRenewTimeChars = 64;  // longest renew-time text shown

// Status codes of block operations. File engine statuses (2 to 48) pass through unchanged.
#pragma once

enum BlockStatus : int {
    BLK_OK = 0,                  // success
    BLK_WIN_ERROR = -1,          // an OS call failed; its code is the last system error
    BLK_HEADER_IO_ERROR = 1,     // the block header sector could not be read or written
    BLK_NOT_FAT12 = 256,         // the volume is mounted but is not FAT12
    BLK_IMAGE_TOO_LARGE = 257,   // an image file is larger than one slot (1,572,864 bytes)
    BLK_FILE_TOO_LARGE = 258,    // a PC file larger than one slot was to be written into a block
    BLK_VERIFY_FAILED = 260,     // what was read back from the drive differs from what was written
};

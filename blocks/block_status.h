// Status codes of block operations. File engine statuses (2 to 48) pass through unchanged.
#pragma once

enum BlockStatus : int {
    BLK_OK = 0,                  // success
    BLK_WIN_ERROR = -1,          // an OS call failed; its code is the last system error
    BLK_HEADER_IO_ERROR = 1,     // the block header sector could not be read or written
    BLK_NOT_FAT12 = 256,         // the volume is mounted but is not FAT12
    BLK_IMAGE_TOO_LARGE = 257,   // an image file is larger than one slot (1,572,864 bytes)
    BLK_FILE_TOO_LARGE = 258,    // a PC file larger than one slot was to be written into a block
    BLK_NO_FOLDER = 259,         // the PC folder to save from does not exist
    BLK_VERIFY_FAILED = 260,     // what was read back from the drive differs from what was written
    BLK_PC_FILE_CHANGED = 261,   // a PC file changed size while it was read
    BLK_BAD_BLOCK_COUNT = 262,   // a whole-drive format count outside 1..min(100, slots on the drive)
    BLK_FILE_DAMAGED = 263,      // a file's data on the block ends before its size; what there was was copied
};

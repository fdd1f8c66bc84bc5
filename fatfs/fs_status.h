// The one-byte status that every file engine operation returns.
#pragma once

#include <cstdint>

enum FsStatus : uint8_t {
    FS_OK = 0x00,              // success
    FS_BAD_NAME = 0x02,        // malformed path or name, a pattern before the last level, or not allowed on this entry
    FS_READ_ERROR = 0x03,      // a sector read failed three times, or lies outside the slot
    FS_WRITE_ERROR = 0x04,     // a sector write failed three times, or lies outside the slot
    FS_DISK_FULL = 0x05,       // no free cluster left
    FS_ROOT_FULL = 0x07,       // no room left in the fixed root directory area
    FS_PATH_OVERFLOW = 0x08,   // a found name does not fit into the 255-character path
    FS_EXISTS = 0x0A,          // create found an entry of that name
    FS_NOT_FOUND = 0x0B,       // the last path level does not exist; also the end of an enumeration
    FS_PATH_NOT_FOUND = 0x0C,  // an intermediate directory does not exist
    FS_NOT_OPEN = 0x0F,        // no file is open
    FS_NO_VOLUME = 0x11,       // no volume mounted, or the first sector is not a usable FAT volume
    FS_BAD_PARTITION = 0x14,   // neither a FAT boot sector nor a partition table with a valid boot indicator
    FS_END_OF_CHAIN = 0x16,    // the position ran past the cached runs or the chain; also a damaged chain
    FS_IS_DIRECTORY = 0x30,    // an open ended on a directory, which is now open; not a failure
};

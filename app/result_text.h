// The message for the result of a block operation or job, as the result message box shows it
// and the command-line tool prints it. Portable (see texts.h).
#pragma once

#include <string>

// Empty for 0; for -1 the system's text of the last system error ("Error number not found."
// when it has none); the fixed texts of the disk-full, no-volume, not-FAT12, image-too-large
// and file-too-large results; "Error code: %x" filled with the code for any other.
std::wstring ResultText(int code);

struct BlockFailure;
// One block's failure as the window shows it: the result's fixed text (for -1 the system's text
// of the failure's own error, under its PC path when there is one; for others followed by the
// PC path unless the cause names it), the cause when the record gives one, and a line naming
// the block and saying whether it may now be damaged.
std::wstring BlockFailureText(const BlockFailure& failure);

// What the commands on one block's files share: BLOCK as one number, the drive found and
// opened, the block's volume loaded (with a copy kept, so that a change writes back only the
// sectors it touched and reads them back), and failures on stderr that name the block.
#pragma once

#include <string>

#include "blocks/block_edit.h"
#include "cli/cli_session.h"

class OneBlock {
public:
    OneBlock();

    CliSession session;
    BlockEdit edit{session.blocks};
    DriveRecord drive;

    // Finds and locks the drive, checks that the block is on it, opens the drive (for writing
    // when the command changes the block) and loads the block, its 8.3 names read in codePage
    // (-1: the setting's). An exit status, the reason printed.
    int Open(const std::string& driveArg, const std::string& blockArg, bool forWriting, int32_t codePage = -1);

    // "block 004: text" on stderr; returns kExitFailed.
    int Fail(const std::wstring& text);
    // The engine status of a failed file operation in words.
    static std::wstring StatusWords(int status);

    // Writes back what changed and reads it back; prints "block 004: <done>; N sectors written
    // and read back". An exit status, the failure printed.
    int Commit(const std::wstring& done);

    uint32_t block = 0;
    // Sectors the last Commit wrote, the header included.
    uint32_t written = 0;
};

// BLOCK: one number; kExitUsage with the reason printed otherwise.
int ParseOneBlock(const std::string& text, uint32_t* block);
// "004".
std::wstring BlockNumberText(uint32_t block);

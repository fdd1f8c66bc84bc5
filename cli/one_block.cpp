// Opening, changing and writing back one block for the file commands.
#include "cli/one_block.h"

#include "app/result_text.h"
#include "app/texts.h"
#include "cli/terminal.h"
#include "disk/record_drive.h"
#include "disk/system_error.h"

OneBlock::OneBlock() : session(TerminalOptions{false, false, StdoutIsTerminal()}) {}

int ParseOneBlock(const std::string& text, uint32_t* block) {
    BlockSelection selection;
    int status = ParseBlocksArgument(text, &selection);
    if (status != kExitOk) return status;
    if (selection.all || selection.blocks.size() != 1) {
        WriteErr(L"BLOCK: one block number, such as 3.\n");
        return kExitUsage;
    }
    *block = *selection.blocks.begin();
    return kExitOk;
}

std::wstring BlockNumberText(uint32_t block) {
    return FormatText(L"%03d", {static_cast<int>(block)});
}

int OneBlock::Fail(const std::wstring& text) {
    WriteErr(L"block " + BlockNumberText(block) + L": " + text + L"\n");
    return kExitFailed;
}

std::wstring OneBlock::StatusWords(int status) {
    switch (status) {
        case FS_DISK_FULL: return L"the block is full";
        case FS_ROOT_FULL: return L"its root folder holds as many entries as it can";
        case FS_READ_ERROR:
        case FS_END_OF_CHAIN: return L"its volume is damaged (slotwise-cli check tells more)";
        case FS_PATH_OVERFLOW: return L"the path grows longer than 255 characters";
        case FS_NO_VOLUME:
        case FS_BAD_PARTITION: return L"it holds no FAT volume that can be read (format it, or write an image into it)";
        case BLK_NOT_FAT12: return L"it holds no FAT12 volume (format it, or write an image into it)";
        case BLK_VERIFY_FAILED: return L"what was read back differs from what was written; the block may be damaged";
        default: return ResultText(status);
    }
}

int OneBlock::Open(const std::string& driveArg, const std::string& blockArg, bool forWriting, int32_t codePage) {
    int status = ParseOneBlock(blockArg, &block);
    if (status != kExitOk) return status;
    session.LoadCopySettings();
    session.engine.SetCodePage(static_cast<uint32_t>(codePage >= 0 ? codePage : session.blocks.codePage));
    if ((status = session.ResolveDrive(driveArg, &drive, forWriting)) != kExitOk) return status;
    BlockSelection selection;
    selection.blocks.insert(block);
    if ((status = session.ListAndSelect(drive, selection)) != kExitOk) return status;
    std::unique_ptr<RawDrive> raw = OpenRecordDrive(drive, forWriting);
    if (!raw) {
        session.frontEnd.PrintMessage(DriveOpenErrorText(drive, LastSystemError(), forWriting));
        return kExitFailed;
    }
    session.sectors.AttachDrive(std::move(raw));
    int result = edit.Load(block);
    if (result != BLK_OK) return Fail(StatusWords(result) + L".");
    return kExitOk;
}

int OneBlock::Commit(const std::wstring& done) {
    if (Interrupted()) {
        WriteErr(L"Stopped by Ctrl+C before anything was changed.\n");
        return kExitInterrupted;
    }
    bool began = false;
    int status = edit.Commit(&written, &began);
    session.CloseDrive();
    const std::wstring& detail = session.blocks.lastFailure.detail;
    if (status != BLK_OK)
        return Fail(L"writing it back failed: " + StatusWords(status) + (detail.empty() ? L"" : L" (" + detail + L")") +
                    (began ? L"; the block may be damaged: check it (slotwise-cli check) or restore it."
                           : L"; nothing was written."));
    WriteOut(L"block " + BlockNumberText(block) + L": " + done + L"; " + std::to_wstring(written) +
             (session.blocks.verifyWrites ? L" sectors written and read back.\n" : L" sectors written.\n"));
    return kExitOk;
}

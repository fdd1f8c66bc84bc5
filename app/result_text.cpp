// Result codes of block operations and jobs turned into the texts the user sees.
#include "app/result_text.h"

#include "app/texts.h"
#include "blocks/block_failure.h"
#include "blocks/block_status.h"
#include "disk/system_error.h"

namespace {
constexpr int kEngineDiskFull = 5;   // FS_DISK_FULL of the file engine
constexpr int kEngineNoVolume = 17;  // FS_NO_VOLUME of the file engine
constexpr int kNotFat12 = 256;       // BLK_NOT_FAT12
constexpr int kImageTooLarge = 257;  // BLK_IMAGE_TOO_LARGE
constexpr int kFileTooLarge = 258;   // BLK_FILE_TOO_LARGE
}  // namespace

std::wstring ResultText(int code) {
    switch (code) {
        case 0: return std::wstring();
        case -1: {
            std::wstring text = SystemErrorText(LastSystemError());
            return text.empty() ? std::wstring(TextById(kTextErrorNotFound)) : text;
        }
        case kEngineDiskFull:
        case kFileTooLarge: return TextById(kTextOverCapacity);
        case kEngineNoVolume: return TextById(kTextFileSystemError);
        case kNotFat12: return TextById(kTextNotFat12);
        case kImageTooLarge: return TextById(kTextImageTooLarge);
        case BLK_NO_FOLDER: return TextById(kTextNoFolder);
        case BLK_VERIFY_FAILED: return TextById(kTextVerifyFailed);
        case BLK_PC_FILE_CHANGED: return TextById(kTextPcFileChanged);
        case BLK_BAD_BLOCK_COUNT: return TextById(kTextBadBlockCount);
        case BLK_FILE_DAMAGED: return TextById(kTextFileDamaged);
        default: return FormatTextId(kTextErrorCode, {code});
    }
}

std::wstring BlockFailureText(const BlockFailure& failure) {
    std::wstring text;
    if (failure.status == -1) {
        std::wstring system = SystemErrorText(failure.systemError);
        if (!failure.path.empty()) text = failure.path + L"\n";
        text += system.empty() ? std::wstring(TextById(kTextErrorNotFound)) : system;
    } else {
        text = ResultText(failure.status);
        // The file or folder concerned, unless the cause names it already.
        if (!failure.path.empty() && failure.detail.find(failure.path) == std::wstring::npos)
            text += L"\n" + failure.path;
    }
    if (!failure.detail.empty()) text += L"\n" + failure.detail;
    if (failure.block == kNoBlock) return text + L"\n" + TextById(kTextNoBlockChanged);
    return text + L"\n" +
           FormatTextId(failure.mayBeDamaged ? kTextBlockMayBeDamaged : kTextBlockUnchanged, {failure.block});
}

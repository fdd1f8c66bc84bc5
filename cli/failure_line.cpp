#include "cli/failure_line.h"

#include "app/result_text.h"
#include "app/texts.h"
#include "disk/system_error.h"
#include "fatfs/fs_status.h"

namespace {
// A fixed text as part of a line: without its "Error: " and its line breaks and edge blanks.
std::wstring Clause(std::wstring text) {
    if (text.compare(0, 7, L"Error: ") == 0) text.erase(0, 7);
    for (wchar_t& c : text)
        if (c == L'\n' || c == L'\r') c = L' ';
    size_t first = text.find_first_not_of(L' '), last = text.find_last_not_of(L' ');
    return first == std::wstring::npos ? std::wstring() : text.substr(first, last + 1 - first);
}

// The cause the status alone gives.
std::wstring StatusCause(const BlockFailure& failure, uint32_t rootEntries) {
    switch (failure.status) {
        case -1: {
            std::wstring system = Clause(SystemErrorText(failure.systemError));
            return system.empty() ? L"system error " + std::to_wstring(failure.systemError) : system;
        }
        case FS_ROOT_FULL:
            return L"the root directory is full" +
                   (rootEntries != 0 ? L" (" + std::to_wstring(rootEntries) + L" entries)" : std::wstring()) +
                   L"; put files into a folder";
        case FS_NO_VOLUME:
        case FS_BAD_PARTITION:
            return L"the block holds no floppy disk volume (the list shows n/a); format the block or write an "
                   L"image into it";
        case FS_READ_ERROR: return L"a sector of the block could not be read";
        case FS_WRITE_ERROR: return L"a sector of the block could not be written";
        default: return Clause(ResultText(failure.status));
    }
}
}  // namespace

std::wstring BlockFailureLine(const BlockFailure& failure, uint32_t rootEntries) {
    std::wstring cause = StatusCause(failure, rootEntries);
    // A cause in words says more than the status; a system error's text still adds the reason.
    if (!failure.detail.empty())
        cause = failure.status == -1 ? Clause(failure.detail) + L" (" + cause + L")" : Clause(failure.detail);
    // A failure of the drive as a whole names no block.
    std::wstring line =
        failure.block == kNoBlock ? std::wstring() : FormatText(L"block %03d: ", {static_cast<int>(failure.block)});
    if (!failure.path.empty() && failure.detail.find(failure.path) == std::wstring::npos) line += failure.path + L": ";
    line += cause;
    if (failure.mayBeDamaged)
        line += L"; the block on the drive may now be damaged \u2014 write it again or restore it from a backup";
    return line;
}

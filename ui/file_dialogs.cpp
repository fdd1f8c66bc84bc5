// The common file dialogs for image files.
#include "ui/file_dialogs.h"

#include <commdlg.h>

#include "app/texts.h"

namespace {
constexpr int kTextSaveImage = 52407;
constexpr int kTextImageFilter = 52408;
constexpr int kTextSelectImage = 52409;
constexpr int kTextAttachPrompt = 5105;  // the File menu's "Attach drive image..." prompt
constexpr DWORD kPathChars = 260;

bool RunDialog(HWND owner,
               const std::wstring& title,
               DWORD flags,
               bool save,
               const wchar_t* defaultExtension,
               const std::wstring& proposedName,
               std::wstring* path) {
    const std::wstring filter = ImageFileFilter();
    wchar_t file[kPathChars] = {};
    proposedName.copy(file, kPathChars - 1);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = kPathChars;
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = defaultExtension;
    dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | flags;
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen) return false;
    *path = file;
    return true;
}
}  // namespace

std::wstring ImageFileFilter() {
    std::wstring filter = TextById(kTextImageFilter);
    for (wchar_t& c : filter) {
        if (c == L'#') c = L'\0';
    }
    return filter;
}

bool AskImageToWrite(HWND owner, std::wstring* path) {
    return RunDialog(owner, TextById(kTextSelectImage), OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, false, nullptr,
                     std::wstring(), path);
}

bool AskImageToExport(HWND owner, int block, std::wstring* path) {
    return RunDialog(owner, TextById(kTextSaveImage), OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY, true,
                     L"img", FormatText(L"FIMG%03d", {block}), path);
}

bool AskDriveImageToAttach(HWND owner, std::wstring* path) {
    return RunDialog(owner, TextById(kTextAttachPrompt), OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, false, nullptr,
                     std::wstring(), path);
}

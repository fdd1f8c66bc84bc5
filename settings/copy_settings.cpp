// Loading and saving the copy settings: defaults first, then whatever the store holds.
#include "settings/copy_settings.h"

#include <algorithm>
#include <cwchar>

#include "fatfs/codepage.h"

const wchar_t kSavePathValue[] = L"SavePath";
const wchar_t kBackupPathValue[] = L"BackupPath";
const wchar_t kFileExistModeValue[] = L"FileExistMode";
const wchar_t kDirDelAllFileValue[] = L"DirDelAllFile";
const wchar_t kReadOpenDirBitValue[] = L"ReadOpenDirBit";
const wchar_t kLoadOpenDirBitValue[] = L"LoadOpenDirBit";
const wchar_t kCodePageValue[] = L"CodePage";

namespace {

#ifdef _WIN32
constexpr wchar_t kSeparator = L'\\';
#else
constexpr wchar_t kSeparator = L'/';
#endif

void CopyIntoField(const std::wstring& text, wchar_t (&field)[kPathChars]) {
    size_t length = std::min(text.size(), static_cast<size_t>(kPathChars - 1));
    std::wmemcpy(field, text.data(), length);
    field[length] = L'\0';
}

// A field that lost its terminating zero is cut where the zero would have to be.
std::wstring FieldText(const wchar_t (&field)[kPathChars]) {
    return std::wstring(field, std::find(field, field + kPathChars - 1, L'\0'));
}

void ReadFlag(const SettingsKey& key, const wchar_t* name, int32_t* field) {
    uint32_t value;
    if (key.ReadDword(name, &value)) *field = static_cast<int32_t>(value);
}

}  // namespace

std::wstring DefaultCopyPath(const std::wstring& currentDirectory, const wchar_t* leaf) {
    std::wstring path = currentDirectory;
    if (!path.empty() && path.back() == kSeparator) path.pop_back();
    path += kSeparator;
    path += leaf;
    if (path.size() > kPathChars - 1) path.resize(kPathChars - 1);
    return path;
}

void LoadSettings(const SettingsStore& store, CopySettings& settings, const std::wstring& currentDirectory) {
    CopyIntoField(DefaultCopyPath(currentDirectory, L"DISK"), settings.savePath);
    CopyIntoField(DefaultCopyPath(currentDirectory, L"DISKBAK"), settings.backupPath);
    settings.fileExistMode = 0;
    settings.keepFileInfo = 1;
    settings.dirDelAllFile = 1;
    settings.readOpenDirBit = 1;
    settings.loadOpenDirBit = 1;
    settings.codePage = 0;

    SettingsKey key;
    if (store.OpenKey(&key) != 0) return;
    key.ReadString(kSavePathValue, settings.savePath, kPathChars);
    key.ReadString(kBackupPathValue, settings.backupPath, kPathChars);
    ReadFlag(key, kFileExistModeValue, &settings.fileExistMode);
    ReadFlag(key, kDirDelAllFileValue, &settings.dirDelAllFile);
    ReadFlag(key, kReadOpenDirBitValue, &settings.readOpenDirBit);
    ReadFlag(key, kLoadOpenDirBitValue, &settings.loadOpenDirBit);
    uint32_t codePage;
    if (key.ReadDword(kCodePageValue, &codePage) && OemCodePageUsable(codePage))
        settings.codePage = static_cast<int32_t>(codePage);
}

long SaveSettings(const SettingsStore& store, const CopySettings& settings) {
    SettingsKey key;
    long status = store.OpenKey(&key);
    if (status != 0) return status;
    auto keepFirstError = [&status](long result) {
        if (status == 0) status = result;
    };
    keepFirstError(key.WriteString(kSavePathValue, FieldText(settings.savePath)));
    keepFirstError(key.WriteString(kBackupPathValue, FieldText(settings.backupPath)));
    keepFirstError(key.WriteDword(kFileExistModeValue, static_cast<uint32_t>(settings.fileExistMode)));
    keepFirstError(key.WriteDword(kDirDelAllFileValue, static_cast<uint32_t>(settings.dirDelAllFile)));
    keepFirstError(key.WriteDword(kReadOpenDirBitValue, static_cast<uint32_t>(settings.readOpenDirBit)));
    keepFirstError(key.WriteDword(kLoadOpenDirBitValue, static_cast<uint32_t>(settings.loadOpenDirBit)));
    keepFirstError(key.WriteDword(kCodePageValue, static_cast<uint32_t>(settings.codePage)));
    return status;
}

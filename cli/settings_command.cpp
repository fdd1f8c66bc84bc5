// settings: shows or changes the copy settings in the store the window uses.
#include <cwchar>
#include <cwctype>
#include <memory>

#include "blocks/block_manager.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/terminal.h"
#include "disk/system_error.h"
#include "disk/pc_path.h"
#include "disk/wide_path.h"
#include "fatfs/codepage.h"
#include "settings/copy_settings.h"
#include "settings/current_dir.h"
#include "settings/settings_store.h"

namespace {
const std::wstring kCodePageChoice = L"an OEM code page in which names can be converted here, such as 437 or 850";

struct SettingsOptions {
    std::string name;
    std::string value;
    CLI::Option* valueOption = nullptr;
};

struct Setting {
    const wchar_t* name;
    wchar_t* path;  // a path setting, or null
    int32_t* flag;  // a number setting, or null
    const wchar_t* zeroWord;
    const wchar_t* oneWord;  // null for the code page, which takes a number
};

std::vector<Setting> SettingsOf(CopySettings& s) {
    return {{kSavePathValue, s.savePath, nullptr, nullptr, nullptr},
            {kBackupPathValue, s.backupPath, nullptr, nullptr, nullptr},
            {kFileExistModeValue, nullptr, &s.fileExistMode, L"overwrite", L"rename"},
            {kDirDelAllFileValue, nullptr, &s.dirDelAllFile, L"off", L"on"},
            {kReadOpenDirBitValue, nullptr, &s.readOpenDirBit, L"off", L"on"},
            {kLoadOpenDirBitValue, nullptr, &s.loadOpenDirBit, L"off", L"on"},
            {kCodePageValue, nullptr, &s.codePage, L"system", nullptr}};
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}

std::wstring ValueText(const Setting& setting) {
    if (setting.path) return setting.path;
    return std::to_wstring(*setting.flag);
}

// A code page in which 8.3 names can be read and written here.
bool ParseCodePage(const std::wstring& text, int32_t* value) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of(L"0123456789") != std::wstring::npos) return false;
    uint32_t number = static_cast<uint32_t>(std::stoul(text));
    if (!OemCodePageUsable(number)) return false;
    *value = static_cast<int32_t>(number);
    return true;
}

// A number setting from 0, 1 or its words (the code page from 0, its word or a code page);
// false for anything else.
bool ParseFlag(const Setting& setting, const std::wstring& text, int32_t* value) {
    if (text == L"0" || SameName(text, setting.zeroWord)) {
        *value = 0;
        return true;
    }
    if (!setting.oneWord) return ParseCodePage(text, value);
    if (text != L"1" && !SameName(text, setting.oneWord)) return false;
    *value = 1;
    return true;
}

int RunSettings(const SettingsOptions& options) {
    SettingsStore store;
    CopySettings settings;
    LoadSettings(store, settings, CurrentDirectory());
    std::vector<Setting> all = SettingsOf(settings);

    if (options.name.empty()) {
        std::wstring out;
        for (const Setting& setting : all)
            out += std::wstring(setting.name) + L"=" + ValueText(setting) + L"\n";
        WriteOut(out);
        return kExitOk;
    }
    std::wstring name = WideFromUtf8(options.name);
    Setting* chosen = nullptr;
    for (Setting& setting : all)
        if (SameName(setting.name, name)) chosen = &setting;
    if (!chosen) {
        std::wstring names;
        for (const Setting& setting : all)
            names += L" " + std::wstring(setting.name);
        WriteErr(L"NAME: " + name + L" is not a setting; the settings are" + names + L".\n");
        return kExitUsage;
    }
    if (options.valueOption->count() == 0) {
        WriteOut(ValueText(*chosen) + L"\n");
        return kExitOk;
    }

    std::wstring value = WideFromUtf8(options.value);
    if (chosen->path) {
        // Stored whole, as the folder browser gives it, so that it means the same from any folder.
        value = AbsolutePcPath(value);
        if (value.empty() || value.size() >= static_cast<size_t>(kPathChars)) {
            WriteErr(L"VALUE: a folder path of 1 to " + std::to_wstring(kPathChars - 1) + L" characters.\n");
            return kExitUsage;
        }
        std::wcsncpy(chosen->path, value.c_str(), kPathChars);
    } else if (!ParseFlag(*chosen, value, chosen->flag)) {
        WriteErr(L"VALUE: " + std::wstring(chosen->name) + L" takes 0 (" + chosen->zeroWord + L") or " +
                 (chosen->oneWord ? L"1 (" + std::wstring(chosen->oneWord) + L")" : kCodePageChoice) + L".\n");
        return kExitUsage;
    }
    long status = SaveSettings(store, settings);
    if (status != 0) {
        std::wstring text = SystemErrorText(static_cast<uint32_t>(status));
        WriteErr(L"The settings could not be saved.\n" + text + L"\n");
        return kExitFailed;
    }
    WriteOut(std::wstring(chosen->name) + L"=" + ValueText(*chosen) + L"\n");
    return kExitOk;
}
}  // namespace

void AddCodePageOption(CLI::App* command, int32_t* codePage) {
    auto check = [](std::string& text) {
        int32_t value;
        return ParseCodePage(WideFromUtf8(text), &value) ? std::string() : Utf8FromWide(kCodePageChoice);
    };
    command->add_option("--codepage", *codePage, "OEM code page of 8.3 names (this run only; 0 the system's).")
        ->check(CLI::Validator(check, "CP"));
}

void AddSettingsCommand(CLI::App& app, int* exitCode) {
    auto options = std::make_shared<SettingsOptions>();
    CLI::App* cmd = app.add_subcommand(
        "settings",
        "Show the settings, one setting, or change one: SavePath and BackupPath (folders), FileExistMode "
        "(0 overwrite, 1 rename), DirDelAllFile, ReadOpenDirBit, LoadOpenDirBit (0 off, 1 on), CodePage (of 8.3 "
        "names: 0 the system's, or an OEM code page such as 437 or 850).");
    cmd->add_option("NAME", options->name, "The setting to show or change.");
    options->valueOption = cmd->add_option("VALUE", options->value, "Its new value.");
    cmd->callback([options, exitCode] { *exitCode = RunSettings(*options); });
}

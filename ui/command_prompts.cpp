// Command prompts and tooltips from the string table.
#include "ui/command_prompts.h"

#include <windows.h>

#include "app/app_module.h"
#include "app/texts.h"

namespace {
constexpr size_t kPromptChars = 255;
constexpr size_t kTooltipChars = 79;
// The items of a window list sit at these ids and above.
constexpr unsigned kFirstWindowListItem = 0xFF00;

struct SystemPrompt {
    unsigned command;
    int text;
};
const SystemPrompt kSystemPrompts[] = {
    {SC_SIZE, 0x10040},     {SC_MOVE, 0x10041},       {SC_MINIMIZE, 0x10042},
    {SC_MAXIMIZE, 0x10043}, {SC_NEXTWINDOW, 0x10044}, {SC_PREVWINDOW, 0x10045},
    {SC_CLOSE, 0x10046},    {SC_RESTORE, 0x10047},    {SC_TASKLIST, 0x10048},
};
constexpr int kWindowListPrompt = 0x10049;
}  // namespace

std::wstring CommandPrompt(int command) {
    std::wstring entry = LoadResourceText(static_cast<UINT>(command));
    return entry.substr(0, entry.find(L'\n')).substr(0, kPromptChars);
}

std::wstring CommandTooltip(int command) {
    std::wstring entry = LoadResourceText(static_cast<UINT>(command));
    size_t feed = entry.find(L'\n');
    if (feed == std::wstring::npos) return std::wstring();
    return entry.substr(feed + 1, kTooltipChars);
}

std::wstring SystemMenuPrompt(unsigned command) {
    // The low four bits of a system command are the system's own.
    const unsigned masked = command & 0xFFF0;
    for (const SystemPrompt& prompt : kSystemPrompts) {
        if (prompt.command == masked) return TextById(prompt.text);
    }
    if (command >= kFirstWindowListItem) return TextById(kWindowListPrompt);
    return std::wstring();
}

// The shared tooltip control.
#include "ui/hover_tip.h"

namespace {
constexpr int kMaxTipWidth = 500;
constexpr int kTipShownMs = 20000;
constexpr int kTipChars = 1024;

TOOLINFOW ToolOf(HWND owner, HWND window) {
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = owner;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.uId = reinterpret_cast<UINT_PTR>(window);
    return tool;
}
}  // namespace

bool HoverTip::Create(HWND owner, HINSTANCE instance) {
    hwnd =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance, nullptr);
    if (!hwnd) return false;
    SendMessageW(hwnd, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    SendMessageW(hwnd, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(kTipShownMs, 0));
    return true;
}

void HoverTip::AddTool(HWND window) {
    TOOLINFOW tool = ToolOf(GetParent(window), window);
    wchar_t empty[1] = {L'\0'};
    tool.lpszText = empty;
    SendMessageW(hwnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void HoverTip::SetText(HWND window, const std::wstring& text) {
    if (Text(window) == text) return;
    TOOLINFOW tool = ToolOf(GetParent(window), window);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(hwnd, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::wstring HoverTip::Text(HWND window) const {
    TOOLINFOW tool = ToolOf(GetParent(window), window);
    wchar_t buffer[kTipChars] = {};
    tool.lpszText = buffer;
    SendMessageW(hwnd, TTM_GETTEXTW, kTipChars, reinterpret_cast<LPARAM>(&tool));
    return buffer;
}

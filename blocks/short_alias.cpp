// Short aliases for directories whose file system keeps none.
#include "blocks/short_alias.h"

#include <algorithm>
#include <numeric>
#include <set>

namespace {

wchar_t UpperAscii(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

std::wstring UpperAscii(const std::wstring& text) {
    std::wstring out = text;
    for (wchar_t& c : out)
        c = UpperAscii(c);
    return out;
}

// Letters, digits and the punctuation that 8.3 names allow. Non-ASCII characters are left out:
// their 8-bit form depends on the code page.
bool IsShortNameChar(wchar_t c) {
    if ((c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9')) return true;
    static const wchar_t kAllowed[] = L"!#$%&'()-@^_`{}~";
    return c != 0 && std::wstring(kAllowed).find(c) != std::wstring::npos;
}

// The characters of one part of an alias: upper case, spaces and dots dropped, others made '_'.
std::wstring AliasPart(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L' ' || c == L'.') continue;
        out += IsShortNameChar(c) ? UpperAscii(c) : L'_';
    }
    return out;
}

std::wstring MakeAlias(const std::wstring& name, std::set<std::wstring>* used) {
    size_t start = name.find_first_not_of(L'.');
    std::wstring rest = start == std::wstring::npos ? std::wstring() : name.substr(start);
    size_t dot = rest.rfind(L'.');
    std::wstring base = AliasPart(dot == std::wstring::npos ? rest : rest.substr(0, dot));
    std::wstring ext = dot == std::wstring::npos ? std::wstring() : AliasPart(rest.substr(dot + 1)).substr(0, 3);
    if (base.empty()) base = L"_";
    for (unsigned n = 1;; ++n) {
        std::wstring tail = L"~" + std::to_wstring(n);
        if (tail.size() >= 8) return std::wstring();  // ~9999999 aliases in one directory
        std::wstring alias = base.substr(0, 8 - tail.size()) + tail;
        if (!ext.empty()) alias += L"." + ext;
        if (used->insert(alias).second) return alias;
    }
}

// DOS opens these as its devices whatever the extension, so no file is reached by such an 8.3
// name: the file gets an alias, as mtools gives it, and keeps its name as long name.
bool IsDeviceName(const std::wstring& base) {
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL"};
    std::wstring upper = UpperAscii(base);
    for (const wchar_t* device : kDevices)
        if (upper == device) return true;
    bool numbered = upper.size() == 4 && upper[3] >= L'1' && upper[3] <= L'9';
    return numbered && (upper.compare(0, 3, L"COM") == 0 || upper.compare(0, 3, L"LPT") == 0);
}

}  // namespace

bool FitsShortName(const std::wstring& name) {
    size_t dot = name.find(L'.');
    std::wstring base = name.substr(0, dot);
    std::wstring ext = dot == std::wstring::npos ? std::wstring() : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || IsDeviceName(base)) return false;
    if (dot != std::wstring::npos && (ext.empty() || ext.size() > 3)) return false;
    return std::all_of(base.begin(), base.end(), IsShortNameChar) &&
           std::all_of(ext.begin(), ext.end(), IsShortNameChar);
}

std::vector<std::wstring> MakeShortAliases(const std::vector<std::wstring>& names,
                                           const std::vector<std::wstring>& reserved) {
    std::vector<size_t> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return names[a] < names[b]; });

    // Names that fit keep their upper-case form first; a second name of the same form (Linux
    // tells case apart, a block does not) needs an alias like any long name.
    std::set<std::wstring> used;
    for (const std::wstring& alias : reserved)
        used.insert(UpperAscii(alias));
    std::vector<bool> needsAlias(names.size(), true);
    for (size_t i : order) {
        if (FitsShortName(names[i]) && used.insert(UpperAscii(names[i])).second) needsAlias[i] = false;
    }
    std::vector<std::wstring> aliases(names.size());
    for (size_t i : order) {
        if (needsAlias[i]) aliases[i] = MakeAlias(names[i], &used);
    }
    return aliases;
}

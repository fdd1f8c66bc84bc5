// The one naming rule, the names a save gives a folder's entries, and the lines that report them.
#include "blocks/block_names.h"

#include <map>
#include <set>

#include "app/texts.h"
#include "blocks/short_alias.h"
#include "blocks/utf16_text.h"
#include "fatfs/name_case.h"

namespace {

bool IsHalfCharacter(wchar_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// A surrogate pair starts at i (wchar_t is UTF-16 on Windows): one character, not two halves.
bool PairAt(const std::wstring& text, size_t i) {
    return sizeof(wchar_t) == 2 && text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() &&
           text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
}

// A lone surrogate: on Linux a byte that was no UTF-8 text (see disk/wide_path.h).
bool HasHalfCharacters(const std::wstring& name) {
    for (size_t i = 0; i < name.size(); ++i) {
        if (PairAt(name, i))
            ++i;
        else if (IsHalfCharacter(name[i]))
            return true;
    }
    return false;
}

// Names compare without case on a block.
std::wstring Key(const std::wstring& name) {
    std::wstring key = name;
    for (wchar_t& c : key)
        c = static_cast<wchar_t>(UpperChar(static_cast<char32_t>(c)));
    return key;
}

// A name in a message: halves of characters as the replacement character.
std::wstring Shown(const std::wstring& text) {
    std::wstring shown = text;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (PairAt(shown, i))
            ++i;
        else if (IsHalfCharacter(shown[i]))
            shown[i] = 0xFFFD;
    }
    return shown;
}

}  // namespace

std::wstring FatLongName(const std::wstring& name) {
    static const std::wstring kNotInLongNames = L"\"*/:<>?\\|";
    std::wstring out;
    for (size_t i = 0; i < name.size(); ++i) {
        wchar_t c = name[i];
        if (PairAt(name, i)) {
            out += c;
            out += name[++i];
        } else if (c < 0x20 || IsHalfCharacter(c) || kNotInLongNames.find(c) != std::wstring::npos) {
            out += L'_';
        } else {
            out += c;
        }
    }
    while (!out.empty() && (out.back() == L'.' || out.back() == L' '))
        out.pop_back();
    return out.empty() ? L"_" : out;
}

std::wstring FoundEntryName(const FileEngine& engine, size_t prefix) {
    std::wstring path = WideFromUtf16(engine.foundLongName(), kFoundLongNameCapacity);
    return FatLongName(path.size() > prefix ? path.substr(prefix) : std::wstring());
}

std::vector<SavedName> PlanSavedNames(const std::vector<PcEntry>& entries,
                                      int32_t fileExistMode,
                                      const std::vector<std::wstring>& present) {
    constexpr size_t kPresent = static_cast<size_t>(-1);
    std::vector<SavedName> names(entries.size());
    std::set<std::wstring> keys;  // every name there is or will be: a numbered name must be none of them
    std::map<std::wstring, std::pair<size_t, std::wstring>> holder;  // the entry (or kPresent) and name
    for (const std::wstring& name : present) {
        keys.insert(Key(name));
        holder[Key(name)] = {kPresent, name};
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        names[i].longName = FatLongName(entries[i].name);
        if (names[i].longName != entries[i].name)
            names[i].change = HasHalfCharacters(entries[i].name) ? kNameNotText : kNameMended;
        keys.insert(Key(names[i].longName));
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        SavedName& saved = names[i];
        auto met = holder.find(Key(saved.longName));
        if (met != holder.end()) {
            const size_t earlier = met->second.first;
            bool twoFiles = earlier != kPresent && !entries[earlier].IsDirectory() && !entries[i].IsDirectory();
            if (fileExistMode == 0 && twoFiles) {
                names[earlier].change = kNameReplaced;
                names[earlier].other = saved.longName;
            } else {
                const std::wstring name = saved.longName;
                saved.other = met->second.second;
                for (unsigned n = 2; keys.count(Key(saved.longName)) != 0; ++n)
                    saved.longName = CountedName(name, n);
                saved.change = kNameNumbered;
                keys.insert(Key(saved.longName));
            }
        }
        holder[Key(saved.longName)] = {i, saved.longName};
    }

    // 8.3 names: the PC's alias for a name kept as it was, new aliases beside them for the others.
    std::vector<std::wstring> reserved = present, renamed;
    std::vector<size_t> renamedAt;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (names[i].change == kNameReplaced) continue;
        if (names[i].change == kNameKept) {
            names[i].shortName = entries[i].shortName;
            reserved.push_back(entries[i].shortName.empty() ? entries[i].name : entries[i].shortName);
        } else {
            renamed.push_back(names[i].longName);
            renamedAt.push_back(i);
        }
    }
    std::vector<std::wstring> aliases = MakeShortAliases(renamed, reserved);
    for (size_t k = 0; k < renamedAt.size(); ++k)
        names[renamedAt[k]].shortName = aliases[k];
    return names;
}

std::wstring SavedNameNote(const std::wstring& pcPath, const SavedName& saved) {
    switch (saved.change) {
        case kNameMended: return FormatTextId(kTextNameMended, {Shown(pcPath), saved.longName});
        case kNameNotText: return FormatTextId(kTextNameNotText, {Shown(pcPath), saved.longName});
        case kNameNumbered: return FormatTextId(kTextNameNumbered, {Shown(pcPath), saved.longName, saved.other});
        case kNameReplaced: return FormatTextId(kTextNameReplaced, {Shown(pcPath), saved.other});
        default: return std::wstring();
    }
}

// Reading and writing the text form of the file-backed settings store.
#include "settings/settings_file.h"

#include <cstdio>
#include <utility>

#include "settings/utf16_data.h"

namespace {

const char kHexDigits[] = "0123456789abcdef";

char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = FoldAscii(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void AppendHexByte(uint8_t b, std::string* out) {
    *out += kHexDigits[b >> 4];
    *out += kHexDigits[b & 0xF];
}

std::string HexFromBytes(const std::vector<uint8_t>& data) {
    std::string out;
    for (uint8_t b : data)
        AppendHexByte(b, &out);
    return out;
}

bool BytesFromHex(const std::string& text, std::vector<uint8_t>* data) {
    if (text.size() % 2 != 0) return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = HexValue(text[i]);
        int low = HexValue(text[i + 1]);
        if (high < 0 || low < 0) return false;
        data->push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return true;
}

// Escapes a name (which must keep "=" out and must not look like a section or a comment) or
// a text (whose last space must survive editors that trim lines).
std::string Escape(const std::string& text, bool isName) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '\\': out += "\\\\"; continue;
            case '\0': out += "\\0"; continue;
            case '\n': out += "\\n"; continue;
            case '\r': out += "\\r"; continue;
            case '\t': out += "\\t"; continue;
            default: break;
        }
        bool lineStart = isName && i == 0 && (c == '[' || c == '#' || c == ';');
        bool lineEnd = !isName && i + 1 == text.size() && c == ' ';
        if (c < 0x20 || c == 0x7F || (isName && c == '=') || lineStart || lineEnd) {
            out += "\\x";
            AppendHexByte(c, &out);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool Unescape(const std::string& text, std::string* out) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            *out += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
            case '\\': *out += '\\'; break;
            case '0': *out += '\0'; break;
            case 'n': *out += '\n'; break;
            case 'r': *out += '\r'; break;
            case 't': *out += '\t'; break;
            case 'x': {
                if (i + 2 >= text.size()) return false;
                int high = HexValue(text[i + 1]);
                int low = HexValue(text[i + 2]);
                if (high < 0 || low < 0) return false;
                *out += static_cast<char>(high << 4 | low);
                i += 2;
                break;
            }
            default: return false;
        }
    }
    return true;
}

struct TypeName {
    uint32_t type;
    const char* name;
};
const TypeName kTextTypes[] = {{SETTINGS_SZ, "REG_SZ"},
                               {SETTINGS_EXPAND_SZ, "REG_EXPAND_SZ"},
                               {SETTINGS_MULTI_SZ, "REG_MULTI_SZ"}};

const char* TextTypeName(uint32_t type) {
    for (const TypeName& t : kTextTypes) {
        if (t.type == type) return t.name;
    }
    return nullptr;
}

// The text of string data without its final zero, when it has that form.
bool TextOfData(const std::vector<uint8_t>& data, std::string* text) {
    if (data.size() < 2 || data.size() % 2 != 0) return false;
    if (data[data.size() - 2] != 0 || data[data.size() - 1] != 0) return false;
    return Utf8FromUtf16Data(data.data(), data.size() / 2 - 1, text);
}

std::string FormatValue(const SettingsValue& value) {
    const std::vector<uint8_t>& data = value.data;
    std::string text;
    if (const char* name = TextTypeName(value.type)) {
        if (TextOfData(data, &text)) return std::string(name) + ":" + Escape(text, false);
    } else if (value.type == SETTINGS_DWORD && data.size() == 4) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "0x%08lx",
                      static_cast<unsigned long>(data[0] | data[1] << 8 | data[2] << 16 | uint32_t{data[3]} << 24));
        return std::string("REG_DWORD:") + digits;
    } else if (value.type == SETTINGS_BINARY) {
        return "REG_BINARY:" + HexFromBytes(data);
    }
    return "hex(" + std::to_string(value.type) + "):" + HexFromBytes(data);
}

bool ParseDword(const std::string& text, std::vector<uint8_t>* data) {
    if (text.size() < 3 || text.size() > 10 || text[0] != '0' || FoldAscii(text[1]) != 'x') return false;
    uint32_t number = 0;
    for (size_t i = 2; i < text.size(); ++i) {
        int digit = HexValue(text[i]);
        if (digit < 0) return false;
        number = number << 4 | static_cast<uint32_t>(digit);
    }
    for (int shift = 0; shift < 32; shift += 8)
        data->push_back(static_cast<uint8_t>(number >> shift));
    return true;
}

// "hex(N)" with N a decimal type number.
bool ParseHexType(const std::string& token, uint32_t* type) {
    if (token.size() < 6 || token.size() > 15 || !SameName(token.substr(0, 4), "hex(") || token.back() != ')') {
        return false;
    }
    uint64_t number = 0;
    for (size_t i = 4; i + 1 < token.size(); ++i) {
        if (token[i] < '0' || token[i] > '9') return false;
        number = number * 10 + static_cast<uint64_t>(token[i] - '0');
    }
    if (number > 0xFFFFFFFFu) return false;
    *type = static_cast<uint32_t>(number);
    return true;
}

bool ParseValue(const std::string& text, SettingsValue* value) {
    size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    std::string token = text.substr(0, colon);
    std::string payload = text.substr(colon + 1);
    for (const TypeName& t : kTextTypes) {
        if (SameName(token, t.name)) {
            std::string unescaped;
            if (!Unescape(payload, &unescaped) || !AppendUtf16DataFromUtf8(unescaped, &value->data)) return false;
            value->data.push_back(0);
            value->data.push_back(0);
            value->type = t.type;
            return true;
        }
    }
    if (SameName(token, "REG_DWORD")) {
        value->type = SETTINGS_DWORD;
        return ParseDword(payload, &value->data);
    }
    if (SameName(token, "REG_BINARY")) {
        value->type = SETTINGS_BINARY;
        return BytesFromHex(payload, &value->data);
    }
    return ParseHexType(token, &value->type) && BytesFromHex(payload, &value->data);
}

}  // namespace

bool IsValidSectionName(const std::string& keyPath) {
    for (char c : keyPath) {
        if (static_cast<unsigned char>(c) < 0x20 || c == ']') return false;
    }
    return true;
}

SettingsFileSection* FindSection(SettingsFile& file, const std::string& keyPath) {
    for (SettingsFileSection& section : file) {
        if (SameName(section.keyPath, keyPath)) return &section;
    }
    return nullptr;
}

const SettingsFileEntry* FindEntry(const SettingsFileSection& section, const std::string& name) {
    for (const SettingsFileEntry& entry : section.entries) {
        if (SameName(entry.name, name)) return &entry;
    }
    return nullptr;
}

void SetEntry(SettingsFileSection& section, const std::string& name, SettingsValue value) {
    for (SettingsFileEntry& entry : section.entries) {
        if (SameName(entry.name, name)) {
            entry.value = std::move(value);
            return;
        }
    }
    section.entries.push_back(SettingsFileEntry{name, std::move(value)});
}

SettingsFile ParseSettingsFile(const std::string& text) {
    SettingsFile file;
    SettingsFileSection* current = nullptr;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line[0] == '[') {
            // Lines after a malformed header belong to no section rather than to the one before.
            current = nullptr;
            if (line.size() < 2 || line.back() != ']') continue;
            std::string keyPath = line.substr(1, line.size() - 2);
            if (!IsValidSectionName(keyPath)) continue;
            current = FindSection(file, keyPath);
            if (!current) {
                file.push_back(SettingsFileSection{keyPath, {}});
                current = &file.back();
            }
            continue;
        }
        size_t equals = line.find('=');
        if (!current || equals == std::string::npos) continue;
        std::string name;
        SettingsValue value;
        if (!Unescape(line.substr(0, equals), &name) || !ParseValue(line.substr(equals + 1), &value)) continue;
        SetEntry(*current, name, std::move(value));
    }
    return file;
}

std::string FormatSettingsFile(const SettingsFile& file) {
    std::string text = "# slotwise settings: one [key] section per key, one Name=TYPE:value line per value.\n";
    for (const SettingsFileSection& section : file) {
        text += "\n[" + section.keyPath + "]\n";
        for (const SettingsFileEntry& entry : section.entries) {
            text += Escape(entry.name, true) + "=" + FormatValue(entry.value) + "\n";
        }
    }
    return text;
}

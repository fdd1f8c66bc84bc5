// The text table built from texts.def, and the printf-style formatter for wide strings.
#include "app/texts.h"

#include <cstdio>
#include <string>
#include <unordered_map>

#include "disk/wide_path.h"

namespace {

struct TextEntry {
    int id;
    const char* utf8;
};

#define SW_TEXT(id, text) {id, text},
constexpr TextEntry kTexts[] = {
#include "app/texts.def"
};
#undef SW_TEXT

const std::unordered_map<int, std::wstring>& Table() {
    static const std::unordered_map<int, std::wstring> table = [] {
        std::unordered_map<int, std::wstring> t;
        for (const TextEntry& e : kTexts)
            t.emplace(e.id, WideFromUtf8(e.utf8));
        return t;
    }();
    return table;
}

// One conversion of a format: what follows the '%' up to and including the conversion letter.
struct Directive {
    std::string flags;
    int width = -1;
    int precision = -1;
    wchar_t conversion = 0;
};

std::wstring Widen(const char* ascii) {
    std::wstring out;
    for (const char* p = ascii; *p; ++p)
        out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return out;
}

std::string NarrowDirective(const Directive& directive, const char* length, char conversion) {
    std::string s = "%" + directive.flags;
    if (directive.width >= 0) s += std::to_string(directive.width);
    if (directive.precision >= 0) s += "." + std::to_string(directive.precision);
    return s + length + conversion;
}

std::wstring Pad(const std::wstring& text, const Directive& directive) {
    if (directive.width < 0 || static_cast<int>(text.size()) >= directive.width) return text;
    std::wstring fill(static_cast<size_t>(directive.width) - text.size(), L' ');
    return directive.flags.find('-') != std::string::npos ? text + fill : fill + text;
}

std::wstring Convert(const Directive& directive, const TextArg* arg) {
    if (!arg) return std::wstring();
    char buffer[512];
    char c = static_cast<char>(directive.conversion);
    switch (directive.conversion) {
        case L'd':
        case L'i': {
            long long v = arg->kind() == TextArg::Unsigned ? static_cast<long long>(arg->AsUnsigned())
                                                           : static_cast<long long>(arg->AsSigned());
            std::snprintf(buffer, sizeof buffer, NarrowDirective(directive, "ll", 'd').c_str(), v);
            return Widen(buffer);
        }
        case L'u':
        case L'x':
        case L'X':
        case L'o': {
            unsigned long long v = arg->AsUnsigned();
            std::snprintf(buffer, sizeof buffer, NarrowDirective(directive, "ll", c).c_str(), v);
            return Widen(buffer);
        }
        case L'f':
        case L'F':
        case L'e':
        case L'E':
        case L'g':
        case L'G': {
            std::snprintf(buffer, sizeof buffer, NarrowDirective(directive, "", c).c_str(), arg->AsReal());
            return Widen(buffer);
        }
        case L'c': {
            std::wstring one(1, static_cast<wchar_t>(arg->AsUnsigned()));
            return Pad(one, directive);
        }
        case L's': {
            std::wstring text = arg->AsText();
            if (directive.precision >= 0 && static_cast<int>(text.size()) > directive.precision)
                text.resize(static_cast<size_t>(directive.precision));
            return Pad(text, directive);
        }
        default: return std::wstring();
    }
}

}  // namespace

int64_t TextArg::AsSigned() const {
    switch (kind_) {
        case Signed: return signed_;
        case Unsigned: return static_cast<int64_t>(unsigned_);
        case Real: return static_cast<int64_t>(real_);
        default: return 0;
    }
}

uint64_t TextArg::AsUnsigned() const {
    switch (kind_) {
        // A negative number that fits 32 bits is an int in the callers' eyes: print its 32 bits.
        case Signed:
            return signed_ < 0 && signed_ >= INT32_MIN ? static_cast<uint32_t>(static_cast<int32_t>(signed_))
                                                       : static_cast<uint64_t>(signed_);
        case Unsigned: return unsigned_;
        case Real: return static_cast<uint64_t>(real_);
        default: return 0;
    }
}

double TextArg::AsReal() const {
    switch (kind_) {
        case Signed: return static_cast<double>(signed_);
        case Unsigned: return static_cast<double>(unsigned_);
        case Real: return real_;
        default: return 0;
    }
}

const wchar_t* TextById(int id) {
    const auto& table = Table();
    auto it = table.find(id);
    return it == table.end() ? L"" : it->second.c_str();
}

std::wstring FormatText(const wchar_t* format, std::initializer_list<TextArg> args) {
    std::wstring out;
    const TextArg* next = args.begin();
    auto take = [&]() -> const TextArg* { return next != args.end() ? next++ : nullptr; };
    for (const wchar_t* p = format; *p; ++p) {
        if (*p != L'%') {
            out += *p;
            continue;
        }
        const wchar_t* start = p++;
        if (*p == L'%') {
            out += L'%';
            continue;
        }
        Directive directive;
        while (*p && std::wstring(L"-+ #0").find(*p) != std::wstring::npos)
            directive.flags += static_cast<char>(*p++);
        if (*p == L'*') {
            const TextArg* w = take();
            directive.width = w ? static_cast<int>(w->AsSigned()) : -1;
            ++p;
        } else if (*p >= L'0' && *p <= L'9') {
            directive.width = 0;
            while (*p >= L'0' && *p <= L'9')
                directive.width = directive.width * 10 + (*p++ - L'0');
        }
        if (*p == L'.') {
            ++p;
            directive.precision = 0;
            if (*p == L'*') {
                const TextArg* w = take();
                directive.precision = w ? static_cast<int>(w->AsSigned()) : 0;
                ++p;
            } else {
                while (*p >= L'0' && *p <= L'9')
                    directive.precision = directive.precision * 10 + (*p++ - L'0');
            }
        }
        // Widths past any text the program shows would only waste memory.
        if (directive.width > 256) directive.width = 256;
        if (directive.precision > 256) directive.precision = 256;
        while (*p && std::wstring(L"hlLqjzt").find(*p) != std::wstring::npos)
            ++p;
        if (!*p || std::wstring(L"diuxXocsfFeEgG").find(*p) == std::wstring::npos) {
            // Not a conversion: keep the text as it stands.
            out.append(start, *p ? p + 1 : p);
            if (!*p) break;
            continue;
        }
        directive.conversion = *p;
        out += Convert(directive, take());
    }
    return out;
}

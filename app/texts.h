// Lookup of the program's texts by string id, and printf-style formatting of them with wide
// strings. Portable, like texts.def which it reads: app/ otherwise holds the Windows start-up
// code, but these texts serve the core, the command-line tool and the window alike.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

// Ids of the texts the portable code uses by name (texts.def holds them all).
enum TextId : int {
    kTextAppTitle = 4000,
    kTextNotFat12 = 52402,
    kTextErrorCode = 52403,
    kTextOverCapacity = 52404,
    kTextImageTooLarge = 52405,
    kTextFileSystemError = 52406,
    kTextIdle = 57345,
    kTextReadingBlock = 61408,
    kTextWritingBlock = 61409,
    kTextSurpassCapacity = 61410,
    kTextWritingImage = 61411,
    kTextReadingImage = 61412,
    kTextFormattingBlock = 61413,
    kTextFormat = 61414,
    kTextFormatComplete = 61415,
    kTextFormatAlarm = 61417,
    kTextBlockCountRange = 61418,
    // Our own, outside the resource string table.
    kTextNameTooLong = 0x10001,
    kTextImageNotFat12 = 0x10002,
    kTextNotAvailable = 0x10003,
    kTextErrorNotFound = 0x10004,
    kTextEnumerating = 0x10005,
    kTextCapacityKB = 0x10006,
    kTextCapacityMB = 0x10007,
    kTextUsedPercent = 0x10008,
    kTextNamesChanged = 0x10070,
    kTextNameMended = 0x10071,
    kTextNameNotText = 0x10072,
    kTextNameNumbered = 0x10073,
    kTextNameReplaced = 0x10074,
    kTextMoreNames = 0x10075,
    kTextFormatDrive = 0x10010,
    kTextFormatProgress = 0x10011,
    kTextFormatCancelling = 0x10012,
    kTextBlockMayBeDamaged = 0x10050,
    kTextBlockUnchanged = 0x10051,
    kTextNoFolder = 0x10052,
    kTextVerifyFailed = 0x10053,
    kTextPcFileChanged = 0x10054,
    kTextBadBlockCount = 0x10055,
    kTextFileDamaged = 0x10056,
    kTextCauseNoFolder = 0x10057,
    kTextCauseOtherFormat = 0x10058,
    kTextCauseVerify = 0x10059,
    kTextCauseHeader = 0x1005A,
    kTextCausePcFileChanged = 0x1005B,
    kTextCauseFileDamaged = 0x1005C,
    kTextCauseBlockCount = 0x1005D,
    kTextCauseHeadUnread = 0x1005E,
    kTextCauseEndMark = 0x1005F,
    kTextBackupMissed = 0x10060,
    kTextJobCancelled = 0x10061,
    kTextNoBlockChanged = 0x10062,
};

// The text of an id; an empty text for an id that has none.
const wchar_t* TextById(int id);

// One argument of FormatText: a number or a wide string.
class TextArg {
public:
    TextArg(int v) : kind_(Signed), signed_(v) {}
    TextArg(long v) : kind_(Signed), signed_(v) {}
    TextArg(long long v) : kind_(Signed), signed_(v) {}
    TextArg(unsigned v) : kind_(Unsigned), unsigned_(v) {}
    TextArg(unsigned long v) : kind_(Unsigned), unsigned_(v) {}
    TextArg(unsigned long long v) : kind_(Unsigned), unsigned_(v) {}
    TextArg(double v) : kind_(Real), real_(v) {}
    TextArg(const wchar_t* s) : kind_(Text), text_(s ? s : L"") {}
    TextArg(const std::wstring& s) : kind_(Text), text_(s.c_str()) {}

    enum Kind { Signed, Unsigned, Real, Text };
    Kind kind() const { return kind_; }
    int64_t AsSigned() const;
    uint64_t AsUnsigned() const;
    double AsReal() const;
    const wchar_t* AsText() const { return kind_ == Text ? text_ : L""; }

private:
    Kind kind_;
    int64_t signed_ = 0;
    uint64_t unsigned_ = 0;
    double real_ = 0;
    const wchar_t* text_ = L"";
};

// printf-style formatting: flags, width, precision and the conversions d i u x X o c s f e g %
// (length modifiers are accepted and ignored). %s takes a wide string on every platform; %x of
// a negative 32-bit number prints its 32-bit two's complement, as the system's printf does.
// A missing argument prints nothing.
std::wstring FormatText(const wchar_t* format, std::initializer_list<TextArg> args);

inline std::wstring FormatTextId(int id, std::initializer_list<TextArg> args) {
    return FormatText(TextById(id), args);
}

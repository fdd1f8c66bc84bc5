// The terminal front end: progress line, messages and questions of slotwise-cli.
#include "cli/terminal_frontend.h"

#include <cctype>

#include "app/result_text.h"
#include "app/texts.h"
#include "cli/failure_line.h"
#include "cli/terminal.h"

namespace {
constexpr int kBarWidth = 24;

// A question or message of the program as one terminal line: its line breaks and the blanks
// around them become one blank.
std::wstring OneLine(const std::wstring& text) {
    std::wstring out;
    bool pendingBlank = false;
    for (wchar_t c : text) {
        if (c == L'\n' || c == L'\r') {
            while (!out.empty() && out.back() == L' ')
                out.pop_back();
            pendingBlank = !out.empty();
            continue;
        }
        if (pendingBlank) {
            if (c == L' ') continue;
            out += L' ';
            pendingBlank = false;
        }
        out += c;
    }
    return out;
}

std::wstring Trimmed(const std::wstring& text) {
    size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return std::wstring();
    size_t last = text.find_last_not_of(L' ');
    return text.substr(first, last + 1 - first);
}
}  // namespace

void TerminalFrontEnd::InsertRow(int row, const std::wstring& column0) {
    if (row < 0) return;
    size_t at = static_cast<size_t>(row) < rows_.size() ? static_cast<size_t>(row) : rows_.size();
    ListRow fresh;
    fresh.cells[0] = column0;
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), fresh);
}

void TerminalFrontEnd::SetCell(int row, int column, const std::wstring& text) {
    if (row < 0 || column < 0 || column > 3 || static_cast<size_t>(row) >= rows_.size()) return;
    rows_[static_cast<size_t>(row)].cells[column] = text;
}

bool TerminalFrontEnd::IsRowSelected(int row) {
    return row >= 0 && static_cast<size_t>(row) < rows_.size() && rows_[static_cast<size_t>(row)].selected;
}

std::wstring TerminalFrontEnd::RowText(int row) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return std::wstring();
    return rows_[static_cast<size_t>(row)].cells[0];
}

void TerminalFrontEnd::BeginProgress(int steps) {
    progressSteps_ = steps;
    progressDone_ = 0;
}

void TerminalFrontEnd::DrawProgress(int done, int total, const std::wstring& text) {
    if (!options_.progress) return;
    std::wstring line;
    if (total > 1) {
        int filled = done >= total ? kBarWidth : done * kBarWidth / total;
        line = L"[" + std::wstring(static_cast<size_t>(filled), L'#') +
               std::wstring(static_cast<size_t>(kBarWidth - filled), L'.') + L"] " + std::to_wstring(done) + L"/" +
               std::to_wstring(total) + L"  ";
    }
    line += Trimmed(OneLine(text));
    size_t width = static_cast<size_t>(TerminalColumns());
    if (width > 1 && line.size() > width - 1) line.resize(width - 1);
    std::wstring out = L"\r" + line;
    if (drawnLength_ > line.size()) out += std::wstring(drawnLength_ - line.size(), L' ') + L"\r" + line;
    drawnLength_ = line.size();
    WriteOut(out);
}

void TerminalFrontEnd::ClearProgress() {
    if (drawnLength_ == 0) return;
    WriteOut(L"\r" + std::wstring(drawnLength_, L' ') + L"\r");
    drawnLength_ = 0;
}

void TerminalFrontEnd::PrintResult(const std::wstring& line) {
    lastResult_ = line;
    ClearProgress();
    WriteOut(line + L"\n");
}

void TerminalFrontEnd::PrintMessage(const std::wstring& line) {
    ClearProgress();
    WriteErr(line + L"\n");
}

void TerminalFrontEnd::SetStatusText(const std::wstring& text) {
    if (Trimmed(text).empty()) {
        ClearProgress();
        return;
    }
    if (progressDone_ < progressSteps_) ++progressDone_;
    if (progressSteps_ > 1) {
        // The bar counts the blocks finished before the one the text announces.
        DrawProgress(progressDone_ - 1, progressSteps_, text);
    } else {
        DrawProgress(0, 0, text);
    }
}

wchar_t TerminalFrontEnd::Ask(const std::wstring& question, const std::wstring& choices) {
    ClearProgress();
    WriteErr(question + L" " + choices + L" ");
    std::string answer;
    if (!ReadAnswerLine(&answer)) {
        WriteErr(L"\n");
        return 0;
    }
    for (char c : answer)
        if (!std::isspace(static_cast<unsigned char>(c))) return static_cast<wchar_t>(std::tolower(c));
    return 0;
}

bool TerminalFrontEnd::AskYesNo(const std::wstring& text) {
    if (options_.yes) return true;
    if (options_.interactive) {
        bool yes = Ask(text, L"[y/N]") == L'y';
        if (!yes) failed_ = true;
        return yes;
    }
    PrintMessage(text);
    PrintMessage(L"No terminal to ask: answered No (--yes answers Yes).");
    failed_ = true;
    return false;
}

int TerminalFrontEnd::AskSaveRetry(const std::wstring& text) {
    if (options_.yes) {
        PrintMessage(text);
        PrintMessage(L"Continuing with the next block (--yes); this block keeps its old contents.");
        failed_ = true;
        return ANSWER_CONTINUE;
    }
    if (options_.interactive) {
        for (;;) {
            wchar_t answer = Ask(text, L"[t]ry again, [c]ontinue, c[a]ncel:");
            if (answer == L't') return ANSWER_TRY_AGAIN;
            if (answer == L'c') {
                failed_ = true;
                return ANSWER_CONTINUE;
            }
            if (answer == L'a' || answer == 0) {
                failed_ = true;
                return ANSWER_CANCEL;
            }
        }
    }
    PrintMessage(text);
    PrintMessage(L"No terminal to ask: the job is cancelled (--yes continues with the next block).");
    failed_ = true;
    return ANSWER_CANCEL;
}

void TerminalFrontEnd::Warn(const std::wstring& text) {
    PrintMessage(text);
}

void TerminalFrontEnd::Inform(const std::wstring& text) {
    PrintResult(text);
}

void TerminalFrontEnd::ShowResultMessage(int code) {
    failed_ = true;
    if (code == -1 && !openFailureText_.empty()) {
        PrintMessage(openFailureText_);
        openFailureText_.clear();
        return;
    }
    PrintMessage(ResultText(code));
}

void TerminalFrontEnd::ShowSystemError(const std::wstring& firstLine) {
    failed_ = true;
    PrintMessage(firstLine);
    PrintMessage(ResultText(-1));
}

void TerminalFrontEnd::ShowBlockFailure(const BlockFailure& failure) {
    failed_ = true;
    // The boot sector's root entry count (offset 17, little-endian).
    uint32_t rootEntries = blockImage_ ? blockImage_[17] | blockImage_[18] << 8 : 0;
    PrintMessage(BlockFailureLine(failure, rootEntries));
}

void TerminalFrontEnd::StartExplorer(const std::wstring& directory) {
    PrintResult(directory);
}

#include "support/recording_front_end.h"

#include <cwchar>
#include <string>

#include "disk/wide_path.h"

void RecordingFrontEnd::Log(const char* kind, const std::wstring& text) {
    log.push_back(std::string(kind) + ": " + Utf8FromWide(text));
}

void RecordingFrontEnd::SelectBlocks(const std::vector<int>& blocks) {
    for (Row& row : rows) {
        row.selected = false;
        for (int block : blocks)
            if (std::wcstol(row.cells[0].c_str(), nullptr, 10) == block) row.selected = true;
    }
}

std::vector<std::string> RecordingFrontEnd::Lines(const std::string& kind) const {
    std::vector<std::string> lines;
    const std::string prefix = kind + ": ";
    for (const std::string& line : log)
        if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line.substr(prefix.size()));
    return lines;
}

std::string RecordingFrontEnd::Transcript() const {
    std::string text;
    for (const std::string& line : log) text += line + "\n";
    return text;
}

std::string RecordingFrontEnd::Table() const {
    std::string text;
    for (const Row& row : rows) {
        for (int c = 0; c < 4; ++c) text += (c ? " | " : "") + Utf8FromWide(row.cells[c]);
        text += row.selected ? " *\n" : "\n";
    }
    return text;
}

void RecordingFrontEnd::DeleteAllRows() {
    log.push_back("rows: clear");
    rows.clear();
}

void RecordingFrontEnd::InsertRow(int row, const std::wstring& column0) {
    Log("row", std::to_wstring(row) + L" " + column0);
    if (row < 0) return;
    size_t at = static_cast<size_t>(row) < rows.size() ? static_cast<size_t>(row) : rows.size();
    Row fresh;
    fresh.cells[0] = column0;
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), fresh);
}

void RecordingFrontEnd::SetCell(int row, int column, const std::wstring& text) {
    Log("cell", std::to_wstring(row) + L"," + std::to_wstring(column) + L" " + text);
    if (row < 0 || column < 0 || column > 3 || static_cast<size_t>(row) >= rows.size()) return;
    rows[static_cast<size_t>(row)].cells[column] = text;
}

void RecordingFrontEnd::SetAutoArrange(bool on) { log.push_back(on ? "arrange: on" : "arrange: off"); }

void RecordingFrontEnd::SetStatusText(const std::wstring& text) {
    Log("status", text);
    if (onStatus) onStatus(text);
}

bool RecordingFrontEnd::AskYesNo(const std::wstring& text) {
    Log("ask", text);
    bool answer = !yesNoAnswers.empty() && yesNoAnswers.front();
    if (!yesNoAnswers.empty()) yesNoAnswers.pop_front();
    log.push_back(answer ? "answer: yes" : "answer: no");
    return answer;
}

void RecordingFrontEnd::Warn(const std::wstring& text) { Log("warn", text); }
void RecordingFrontEnd::Inform(const std::wstring& text) { Log("inform", text); }

bool RecordingFrontEnd::IsRowSelected(int row) {
    return row >= 0 && static_cast<size_t>(row) < rows.size() && rows[static_cast<size_t>(row)].selected;
}

void RecordingFrontEnd::EnsureRowVisible(int row) { Log("visible", std::to_wstring(row)); }
void RecordingFrontEnd::SetJobActive(bool active) { log.push_back(active ? "active: on" : "active: off"); }

void RecordingFrontEnd::EnableDriveViews(bool enable) {
    log.push_back(enable ? "views: on" : "views: off");
    viewsEnabled = enable;
}

void RecordingFrontEnd::FocusBlockList() { log.push_back("focus: list"); }
void RecordingFrontEnd::ShowResultMessage(int code) { Log("result", std::to_wstring(code)); }
void RecordingFrontEnd::ShowSystemError(const std::wstring& firstLine) { Log("syserr", firstLine); }

void RecordingFrontEnd::ShowBlockFailure(const BlockFailure& f) {
    wchar_t block[16] = L"the drive";
    if (f.block != kNoBlock) std::swprintf(block, 16, L"block %03u", f.block);
    Log("failure", std::wstring(block) + L" status " + std::to_wstring(f.status) +
                       (f.path.empty() ? L"" : L" path " + f.path) + (f.mayBeDamaged ? L" may be damaged" : L" unchanged") +
                       (f.detail.empty() ? L"" : L": " + f.detail));
}

int RecordingFrontEnd::AskSaveRetry(const std::wstring& text) {
    Log("retry?", text);
    int answer = saveAnswers.empty() ? ANSWER_CANCEL : saveAnswers.front();
    if (!saveAnswers.empty()) saveAnswers.pop_front();
    Log("answer", std::to_wstring(answer));
    return answer;
}

void RecordingFrontEnd::StartExplorer(const std::wstring& directory) { Log("explorer", directory); }

// A job front end for tests: the block operations' part is the recording FakeFrontEnd of the
// block tests; on top of it the rows' selection, and every call a job makes in one ordered log.
// Save questions are answered from a queue (an empty queue answers Cancel).
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "disk/system_error.h"
#include "jobs/job_frontend.h"
#include "tests/blocks/fake_frontend.h"

class FakeJobFrontEnd : public JobFrontEnd {
public:
    FakeFrontEnd list;              // rows, cells, status texts, questions, warnings, informations
    std::vector<bool> selected;     // by row
    std::vector<std::wstring> log;  // every call, in order, as "kind:text"

    std::vector<int> results;                // ShowResultMessage codes
    std::vector<std::wstring> systemErrors;  // ShowSystemError first lines
    std::vector<std::wstring> saveQuestions;
    std::deque<int> saveAnswers;
    std::vector<std::wstring> explorerDirs;
    std::vector<int> visibleRows;
    bool viewsEnabled = true;
    bool jobActive = false;

    // Called on every status text, after it is logged (re-entering a job, reading flags).
    std::function<void(const std::wstring&)> onStatus;

    // Selects exactly the rows whose first column holds one of the numbers.
    void SelectBlocks(const std::vector<int>& blocks) {
        selected.assign(list.rows.size(), false);
        for (size_t row = 0; row < list.rows.size(); ++row)
            for (int block : blocks)
                if (std::stoi(list.rows[row].cells[0]) == block) selected[row] = true;
    }
    std::vector<std::wstring> StatusTexts() const { return list.statusTexts; }

    void DeleteAllRows() override {
        log.push_back(L"rows:clear");
        list.DeleteAllRows();
        selected.clear();
    }
    void InsertRow(int row, const std::wstring& column0) override { list.InsertRow(row, column0); }
    void SetCell(int row, int column, const std::wstring& text) override { list.SetCell(row, column, text); }
    void SetAutoArrange(bool on) override { list.SetAutoArrange(on); }
    void SetStatusText(const std::wstring& text) override {
        log.push_back(L"status:" + text);
        list.SetStatusText(text);
        if (onStatus) onStatus(text);
    }
    bool AskYesNo(const std::wstring& text) override {
        log.push_back(L"yesno:" + text);
        return list.AskYesNo(text);
    }
    void Warn(const std::wstring& text) override {
        log.push_back(L"warn:" + text);
        list.Warn(text);
    }
    void Inform(const std::wstring& text) override {
        log.push_back(L"inform:" + text);
        list.Inform(text);
    }

    int RowCount() override { return static_cast<int>(list.rows.size()); }
    bool IsRowSelected(int row) override {
        return row >= 0 && static_cast<size_t>(row) < selected.size() && selected[static_cast<size_t>(row)];
    }
    std::wstring RowText(int row) override { return list.Cell(row, 0); }
    void EnsureRowVisible(int row) override {
        log.push_back(L"visible:" + std::to_wstring(row));
        visibleRows.push_back(row);
    }
    void SetJobActive(bool active) override {
        log.push_back(active ? L"active:on" : L"active:off");
        jobActive = active;
    }
    void EnableDriveViews(bool enable) override {
        log.push_back(enable ? L"views:on" : L"views:off");
        viewsEnabled = enable;
    }
    void FocusBlockList() override { log.push_back(L"focus"); }
    void ShowResultMessage(int code) override {
        log.push_back(L"result:" + std::to_wstring(code));
        results.push_back(code);
    }
    void ShowSystemError(const std::wstring& firstLine) override {
        log.push_back(L"syserr:" + firstLine);
        systemErrors.push_back(firstLine);
    }
    int AskSaveRetry(const std::wstring& text) override {
        log.push_back(L"ask:" + text);
        saveQuestions.push_back(text);
        if (saveAnswers.empty()) return ANSWER_CANCEL;
        int answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }
    void StartExplorer(const std::wstring& directory) override {
        log.push_back(L"explorer:" + directory);
        explorerDirs.push_back(directory);
    }
};

// The one front end of the tests: the block list as rows with a selection, and every call a
// block operation or a job makes, in order, as one line of a transcript ("kind: text"). Questions
// are answered from queues the test fills; an empty queue answers No, and Cancel for the save
// question.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "jobs/job_frontend.h"

class RecordingFrontEnd : public JobFrontEnd {
public:
    struct Row {
        std::wstring cells[4];
        bool selected = false;
    };

    std::vector<Row> rows;         // the list as the user would see it now
    std::vector<std::string> log;  // every call, in order, UTF-8
    std::deque<bool> yesNoAnswers;
    std::deque<int> saveAnswers;
    bool viewsEnabled = true;
    // Called on every status text after it is logged (to cancel or re-enter a job mid-way).
    std::function<void(const std::wstring&)> onStatus;

    // Selects exactly the rows whose first column holds one of the block numbers.
    void SelectBlocks(const std::vector<int>& blocks);
    const std::wstring& Cell(int row, int column) const { return rows.at(static_cast<size_t>(row)).cells[column]; }

    // The texts logged under one kind ("status", "warn", "result", ...), in order.
    std::vector<std::string> Lines(const std::string& kind) const;
    // The whole log, one call per line; the list as one line per row ("000 | 1.39 MB | 0% | ...").
    std::string Transcript() const;
    std::string Table() const;

    void DeleteAllRows() override;
    void InsertRow(int row, const std::wstring& column0) override;
    void SetCell(int row, int column, const std::wstring& text) override;
    void SetAutoArrange(bool on) override;
    void SetStatusText(const std::wstring& text) override;
    bool AskYesNo(const std::wstring& text) override;
    void Warn(const std::wstring& text) override;
    void Inform(const std::wstring& text) override;

    int RowCount() override { return static_cast<int>(rows.size()); }
    bool IsRowSelected(int row) override;
    std::wstring RowText(int row) override { return Cell(row, 0); }
    void EnsureRowVisible(int row) override;
    void SetJobActive(bool active) override;
    void EnableDriveViews(bool enable) override;
    void FocusBlockList() override;
    void ShowResultMessage(int code) override;
    void ShowSystemError(const std::wstring& firstLine) override;
    void ShowBlockFailure(const BlockFailure& failure) override;
    int AskSaveRetry(const std::wstring& text) override;
    void StartExplorer(const std::wstring& directory) override;

private:
    void Log(const char* kind, const std::wstring& text);
};

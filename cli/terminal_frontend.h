// The job front end of slotwise-cli: the block list held in memory, progress on one terminal
// line updated in place, messages on stderr, and the jobs' questions asked on the terminal or
// answered by --yes. Without a terminal it shows nothing but results.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jobs/job_frontend.h"

struct TerminalOptions {
    bool yes = false;          // --yes: answer the questions as the command documents
    bool interactive = false;  // questions can be asked (standard input is a terminal)
    bool progress = false;     // progress can be drawn (standard output is a terminal)
};

class TerminalFrontEnd : public JobFrontEnd {
public:
    struct ListRow {
        std::wstring cells[4];
        bool selected = false;
    };

    explicit TerminalFrontEnd(const TerminalOptions& options) : options_(options) {}

    const TerminalOptions& options() const { return options_; }
    std::vector<ListRow>& rows() { return rows_; }

    // The next `steps` progress texts are steps of one piece of work, drawn with a bar when
    // there is more than one; 0 draws the texts alone.
    void BeginProgress(int steps);
    // How many of those steps have begun.
    int blocksStarted() const { return progressDone_; }
    // Draws a progress line: the bar for done of total (when total > 1) and the text.
    void DrawProgress(int done, int total, const std::wstring& text);
    // Removes the progress line.
    void ClearProgress();

    // What the user should hear about when a drive cannot be opened: replaces the bare
    // system text of the next -1 result.
    void SetOpenFailureText(const std::wstring& text) { openFailureText_ = text; }

    // Whether the job ended in a way that the exit status must report: a message was shown,
    // a question was refused or cancelled, or a block was skipped.
    bool failed() const { return failed_; }
    void ResetOutcome() { failed_ = false; }

    // The last line PrintResult printed.
    const std::wstring& lastResult() const { return lastResult_; }
    // Prints one result line on stdout, or a message line on stderr, clear of the progress line.
    void PrintResult(const std::wstring& line);
    void PrintMessage(const std::wstring& line);

    // BlockFrontEnd.
    void DeleteAllRows() override { rows_.clear(); }
    void InsertRow(int row, const std::wstring& column0) override;
    void SetCell(int row, int column, const std::wstring& text) override;
    void SetStatusText(const std::wstring& text) override;
    bool AskYesNo(const std::wstring& text) override;
    void Warn(const std::wstring& text) override;
    void Inform(const std::wstring& text) override;

    // JobFrontEnd.
    int RowCount() override { return static_cast<int>(rows_.size()); }
    bool IsRowSelected(int row) override;
    std::wstring RowText(int row) override;
    void EnsureRowVisible(int) override {}
    void EnableDriveViews(bool) override {}
    void FocusBlockList() override {}
    void ShowResultMessage(int code) override;
    void ShowSystemError(const std::wstring& firstLine) override;
    // One line naming the block, the PC path, the cause and the block's state.
    void ShowBlockFailure(const BlockFailure& failure) override;
    // The block image the failing operation worked on, whose boot sector tells the size of a
    // root directory that is full.
    void SetBlockImage(const uint8_t* image) { blockImage_ = image; }
    int AskSaveRetry(const std::wstring& text) override;
    void StartExplorer(const std::wstring& directory) override;

private:
    // Asks on the terminal; the first character of the answer, lower case (0 at end of input).
    wchar_t Ask(const std::wstring& question, const std::wstring& choices);

    TerminalOptions options_;
    std::vector<ListRow> rows_;
    int progressSteps_ = 0;
    int progressDone_ = 0;
    size_t drawnLength_ = 0;
    std::wstring openFailureText_;
    bool failed_ = false;
    std::wstring lastResult_;
    const uint8_t* blockImage_ = nullptr;
};

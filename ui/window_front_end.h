// The jobs' front end in the window program: the block list, the status bar and the device tree
// of the main window, reached from the worker thread by synchronous window calls, and the
// message boxes, owned by the main window, that report and steer a job.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "jobs/job_frontend.h"
#include "ui/block_list.h"

// The windows a job works on; the main window hands them over when it is created.
struct JobViews {
    HWND mainWindow = nullptr;
    HWND tree = nullptr;
    HWND statusBar = nullptr;
    BlockList list;
};

class WindowFrontEnd : public JobFrontEnd {
public:
    // Only while no job runs (the main window's creation).
    void SetViews(const JobViews& views) { views_ = views; }
    const JobViews& views() const { return views_; }

    // The job-active mark: set while a job worker runs, read by the main window's timer.
    bool jobActive() const { return jobActive_.load(); }

    // Block list and status bar.
    void DeleteAllRows() override { views_.list.DeleteAll(); }
    void InsertRow(int row, const std::wstring& column0) override { views_.list.InsertItem(row, column0); }
    void SetCell(int row, int column, const std::wstring& text) override { views_.list.SetText(row, column, text); }
    void SetAutoArrange(bool on) override { views_.list.SetAutoArrange(on); }
    void SetStatusText(const std::wstring& text) override;
    int RowCount() override { return views_.list.Count(); }
    bool IsRowSelected(int row) override { return views_.list.IsSelected(row); }
    std::wstring RowText(int row) override { return views_.list.Text(row, 0, 32); }
    void EnsureRowVisible(int row) override { views_.list.EnsureVisible(row); }

    // While a job runs: the mark, the worker's input attached to the user-interface thread, and
    // the tree and list disabled.
    void SetJobActive(bool active) override;
    void EnableDriveViews(bool enable) override;
    void FocusBlockList() override;

    // Message boxes, owned by the main window.
    bool AskYesNo(const std::wstring& text) override;
    void Warn(const std::wstring& text) override;
    void Inform(const std::wstring& text) override;
    void ShowResultMessage(int code) override;
    void ShowSystemError(const std::wstring& firstLine) override;
    // The fixed text of the failure with a line naming the block and whether it may be damaged.
    void ShowBlockFailure(const BlockFailure& failure) override;
    int AskSaveRetry(const std::wstring& text) override;
    void StartExplorer(const std::wstring& directory) override;

private:
    JobViews views_;
    std::atomic<bool> jobActive_{false};
};

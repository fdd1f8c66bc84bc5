// What a job needs from its front end beyond the block operations' needs: the block list's rows
// and selection, the views it disables while it runs, and the messages and questions that end
// or steer it. The window, the command-line tool and the tests each implement it.
#pragma once

#include <string>

#include "blocks/block_failure.h"
#include "blocks/block_frontend.h"

// Answers to the question of a save that did not fit (the message box's button ids).
enum SaveRetryAnswer : int {
    ANSWER_CANCEL = 2,      // end the job, with no further message
    ANSWER_TRY_AGAIN = 10,  // run the same block again
    ANSWER_CONTINUE = 11,   // go on with the next selected row
};

class JobFrontEnd : public BlockFrontEnd {
public:
    // The block list in list order: a row's block number is the number in its first column.
    virtual int RowCount() = 0;
    virtual bool IsRowSelected(int row) = 0;
    virtual std::wstring RowText(int row) = 0;
    virtual void EnsureRowVisible(int row) = 0;

    // While a job runs the device tree and block list are disabled and the window is marked busy.
    virtual void SetJobActive(bool /*active*/) {}
    virtual void EnableDriveViews(bool enable) = 0;
    // After a job: the keyboard focus back on the block list (where the window is in front).
    virtual void FocusBlockList() = 0;

    // A job's non-zero result, as the fixed text for that result.
    virtual void ShowResultMessage(int code) = 0;
    // The system's text of the last system error under a first line of our own.
    virtual void ShowSystemError(const std::wstring& firstLine) = 0;
    // One block's operation failed. By default the result message, or the system error under the
    // PC path; front ends that can say more (the block, the file, whether the block may be damaged)
    // override it.
    virtual void ShowBlockFailure(const BlockFailure& failure);
    // The question of a block that is too small for its directory: ANSWER_CANCEL,
    // ANSWER_TRY_AGAIN or ANSWER_CONTINUE.
    virtual int AskSaveRetry(const std::wstring& text) = 0;
    // Shows the user a directory a job has filled.
    virtual void StartExplorer(const std::wstring& directory) = 0;
};

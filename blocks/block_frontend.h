// What block operations and jobs need from their front end: the rows of the block list,
// the status text, and the few questions and warnings they put to the user. The window,
// the command-line tool and the tests each implement it; the core never calls a window.
#pragma once

#include <string>

class BlockFrontEnd {
public:
    virtual ~BlockFrontEnd() = default;

    // Block list: columns 0 serial number, 1 capacity, 2 used share, 3 renew time.
    virtual void DeleteAllRows() = 0;
    virtual void InsertRow(int row, const std::wstring& column0) = 0;
    virtual void SetCell(int row, int column, const std::wstring& text) = 0;
    virtual void SetAutoArrange(bool /*on*/) {}

    virtual void SetStatusText(const std::wstring& text) = 0;

    // A Yes/No question whose default answer is No; true only for Yes.
    virtual bool AskYesNo(const std::wstring& text) = 0;
    // An exclamation-style warning with an OK button.
    virtual void Warn(const std::wstring& text) = 0;
    // An information message with an OK button ("Format complete").
    virtual void Inform(const std::wstring& text) = 0;
};

// The command-state table of the main window: which of its commands are enabled or checked in
// the menu and on the toolbar, given whether a drive is current, whether a job runs, how many
// blocks are selected and which view is chosen. Commands outside the table are always enabled.
#pragma once

#include <windows.h>

#include <map>
#include <vector>

#include "ui/tool_bar.h"

struct CommandState {
    int command;
    bool enabled;
    bool checked;
    bool operator==(const CommandState& o) const {
        return command == o.command && enabled == o.enabled && checked == o.checked;
    }
};

// selectionState: 0 no block selected (or an empty list), 1 exactly one, 2 several.
// viewCommand: 1053 to 1056, the one checked.
std::vector<CommandState> ComputeCommandStates(bool driveCurrent, bool jobActive, int selectionState, int viewCommand);

// While a job runs on a current drive the status bar keeps the job's text; otherwise it shows
// the selection summary.
inline bool ShowsSelectionSummary(bool driveCurrent, bool jobActive) {
    return !driveCurrent || !jobActive;
}

// Brings the menu items and toolbar buttons in line with a table, touching only what changed.
class CommandStateView {
public:
    void Apply(HMENU menu, ToolBar& toolBar, const std::vector<CommandState>& states);
    // Forgets what was applied, so that the next Apply sets every state (new menu or toolbar).
    void Forget() { applied_.clear(); }

private:
    std::map<int, CommandState> applied_;
};

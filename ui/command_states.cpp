// The command-state rules.
#include "ui/command_states.h"

#include "ui/resource.h"

namespace {
const int kSingleCommands[] = {ID_BLOCK_OPEN, ID_BLOCK_SAVE, ID_BLOCK_WRITE_IMAGE, ID_BLOCK_EXPORT_IMAGE,
                               ID_BLOCK_FORMAT};
const int kBulkCommands[] = {ID_BULK_OPEN, ID_BULK_SAVE, ID_BULK_WRITE_IMAGE, ID_BULK_FORMAT};
const int kViewCommands[] = {ID_VIEW_BIG_ICON, ID_VIEW_SMALL_ICON, ID_VIEW_LIST, ID_VIEW_DETAIL};
}  // namespace

std::vector<CommandState> ComputeCommandStates(bool driveCurrent, bool jobActive, int selectionState, int viewCommand) {
    bool format = true;
    bool selectAll = true;
    bool refresh = driveCurrent;
    bool single = driveCurrent;
    bool bulk = driveCurrent;
    if (driveCurrent && jobActive) {
        format = selectAll = refresh = single = bulk = false;
    } else if (driveCurrent) {
        single = selectionState == 1;
        bulk = selectionState == 2;
    }

    std::vector<CommandState> states;
    states.push_back({ID_DRIVE_FORMAT, format, false});
    states.push_back({ID_DRIVE_REFRESH, refresh, false});
    for (int command : kSingleCommands)
        states.push_back({command, single, false});
    for (int command : kBulkCommands)
        states.push_back({command, bulk, false});
    for (int command : kViewCommands)
        states.push_back({command, true, command == viewCommand});
    states.push_back({ID_OPTION_SELECT_ALL, selectAll, false});
    return states;
}

void CommandStateView::Apply(HMENU menu, ToolBar& toolBar, const std::vector<CommandState>& states) {
    for (const CommandState& state : states) {
        auto found = applied_.find(state.command);
        if (found != applied_.end() && found->second == state) continue;
        applied_[state.command] = state;
        if (menu) {
            EnableMenuItem(menu, state.command, MF_BYCOMMAND | (state.enabled ? MF_ENABLED : MF_GRAYED));
            CheckMenuItem(menu, state.command, MF_BYCOMMAND | (state.checked ? MF_CHECKED : MF_UNCHECKED));
        }
        if (toolBar.hwnd && toolBar.HasButton(state.command)) {
            toolBar.Enable(state.command, state.enabled);
            toolBar.Check(state.command, state.checked);
        }
    }
}

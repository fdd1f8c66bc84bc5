// save --dry-run: what save would add, replace and remove in each selected block, read from the
// blocks and the PC folders without writing anything.
#pragma once

#include <string>

#include "cli/cli_session.h"

// The session has listed the drive and selected the rows; rootOverride is save's --dir made
// whole, or empty for the settings' upload folder. An exit status.
int PreviewSave(CliSession& session, const DriveRecord& drive, const std::wstring& rootOverride, bool json);

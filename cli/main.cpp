// slotwise-cli: the floppy disk blocks of USB flash drives and drive images from the command
// line, over the same core as the window. Exit status 0 success, 1 the operation failed (its
// message on stderr), 2 a usage error.
#include <CLI/CLI.hpp>

#include "app/version.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/disk_access.h"
#include "cli/terminal.h"

int main(int argc, char** argv) {
    CLI::App app{
        "Floppy disk blocks on USB flash drives and drive images.\n"
        "DRIVE is an image file, a Linux block device such as /dev/sdb, or on Windows a drive letter "
        "such as E:.\nBLOCKS is a list such as 3, 0,4,7-9 or all.",
        "slotwise-cli"};
    app.set_version_flag("--version", "slotwise-cli " SLOTWISE_VERSION);
    app.require_subcommand(1);
    app.fallthrough(false);

    int exitCode = kExitOk;
    AddDriveCommands(app, &exitCode);
    AddListCommands(app, &exitCode);
    AddFormatDriveCommand(app, &exitCode);
    AddJobCommands(app, &exitCode);
    AddSettingsCommand(app, &exitCode);
    AddFileCommands(app, &exitCode);
    AddFindCommand(app, &exitCode);

    // Sticks are reached by the route the window would take, set up before any command runs.
    DiskAccess diskAccess;
    std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    // CLI11 takes the arguments without the program name, last one first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    if (!reversed.empty()) reversed.pop_back();
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e);
        return code == 0 ? kExitOk : kExitUsage;
    }
    return exitCode;
}

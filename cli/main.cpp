// slotwise-cli: the floppy disk blocks of USB flash drives and drive images from the command
// line, over the same core as the window. Exit status 0 success, 1 the operation failed (its
// message on stderr), 2 a usage error, 130 stopped by Ctrl+C.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <exception>

#include "app/version.h"
#include "cli/cli_session.h"
#include "cli/command_names.h"
#include "cli/commands.h"
#include "cli/disk_access.h"
#include "cli/terminal.h"
#include "disk/wide_path.h"

namespace {
// A first word that names no command is answered with the commands it most likely meant;
// false when the arguments hold no such word.
bool RefuseUnknownCommand(const CLI::App& app, const std::vector<std::string>& arguments) {
    std::vector<std::string> names;
    for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; }))
        names.push_back(command->get_name());
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (!word.empty() && word[0] == '-') continue;
        if (std::find(names.begin(), names.end(), word) != names.end()) return false;
        std::string text = "unknown command '" + word + "'";
        std::vector<std::string> closest = ClosestCommands(word, names);
        for (size_t k = 0; k < closest.size(); ++k)
            text += (k == 0 ? "; did you mean '" : k + 1 == closest.size() ? " or '" : ", '") + closest[k] + "'";
        text += closest.empty() ? "\nRun with --help for the commands.\n" : "?\n";
        WriteErr(WideFromUtf8(text));
        return true;
    }
    return false;
}

int Run(int argc, char** argv) {
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
    AddCheckCommand(app, &exitCode);
    AddRestoreCommand(app, &exitCode);
    AddBlockCopyCommands(app, &exitCode);
    AddHelpCommand(app, &exitCode);

    // Caught from the start, so that Ctrl+C never cuts a block or a PC file short.
    CatchInterrupts();
    std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    if (RefuseUnknownCommand(app, arguments)) return kExitUsage;
    // Sticks are reached by the route the window would take, set up before any command runs.
    DiskAccess diskAccess;
    // CLI11 takes the arguments without the program name, last one first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    if (!reversed.empty()) reversed.pop_back();
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e);
        return code == 0 ? kExitOk : kExitUsage;
    }
    if (Interrupted() && exitCode != kExitInterrupted) {
        // Stopped at a question or before its job began.
        WriteErr(L"Stopped by Ctrl+C before anything was changed.\n");
        return kExitInterrupted;
    }
    return exitCode;
}
}  // namespace

int main(int argc, char** argv) {
    // The core reports with status codes; this only keeps a fault that slipped through (a
    // failed allocation) from ending the program without a word.
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        WriteErr(L"slotwise-cli stopped on an internal error: " + WideFromUtf8(e.what()) + L"\n");
    } catch (...) {
        WriteErr(L"slotwise-cli stopped on an internal error.\n");
    }
    return kExitFailed;
}

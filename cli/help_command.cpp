// help [COMMAND]: the program's help, or one command's, as --help prints them.
#include <memory>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/terminal.h"
#include "disk/wide_path.h"

void AddHelpCommand(CLI::App& app, int* exitCode) {
    auto command = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand("help", "Show the help of slotwise-cli, or of one command.");
    cmd->add_option("COMMAND", *command, "The command whose help to show.");
    CLI::App* top = &app;
    cmd->callback([top, command, exitCode] {
        if (command->empty()) {
            WriteOut(WideFromUtf8(top->get_formatter()->make_help(top, "slotwise-cli", CLI::AppFormatMode::Normal)));
            *exitCode = kExitOk;
            return;
        }
        for (CLI::App* sub : top->get_subcommands([](CLI::App*) { return true; }))
            if (sub->get_name() == *command) {
                WriteOut(WideFromUtf8(
                    sub->get_formatter()->make_help(sub, "slotwise-cli " + *command, CLI::AppFormatMode::Normal)));
                *exitCode = kExitOk;
                return;
            }
        WriteErr(WideFromUtf8("help: there is no command '" + *command + "' (slotwise-cli help lists them).\n"));
        *exitCode = kExitUsage;
    });
}

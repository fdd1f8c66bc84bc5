// The subcommands of slotwise-cli. Each Add* function declares its commands with their options
// and help on the app; the command, when chosen, stores its exit status in *exitCode.
#pragma once

#include <CLI/CLI.hpp>

void AddDriveCommands(CLI::App& app, int* exitCode);       // drives, create-image
void AddListCommands(CLI::App& app, int* exitCode);        // list, ls
void AddFormatDriveCommand(CLI::App& app, int* exitCode);  // format-drive
void AddJobCommands(CLI::App& app, int* exitCode);         // format, open, save, write-image, export-image, backup
void AddSettingsCommand(CLI::App& app, int* exitCode);     // settings
void AddFileCommands(CLI::App& app, int* exitCode);        // get, put, rm, mkdir
void AddFindCommand(CLI::App& app, int* exitCode);         // find
void AddCheckCommand(CLI::App& app, int* exitCode);        // check
void AddBlockCopyCommands(CLI::App& app, int* exitCode);   // copy-block, swap-blocks
void AddRestoreCommand(CLI::App& app, int* exitCode);      // restore
// backup --images DIR: the image backup of every block; its exit status.
int RunImageBackup(const std::string& drive, const std::string& dir, bool json);
void AddHelpCommand(CLI::App& app, int* exitCode);         // help

// DRIVE, the first argument of every command that works on one drive.
inline void AddDriveArgument(CLI::App* command, std::string* drive) {
    command->add_option("DRIVE", *drive, "Image file, block device or drive letter.")->required();
}

// --codepage CP on a command that reads or writes names: the OEM code page of 8.3 names for this
// run only (0 the system's); *codePage stays -1 when it is not given.
void AddCodePageOption(CLI::App* command, int32_t* codePage);

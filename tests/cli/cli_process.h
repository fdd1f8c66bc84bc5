// Runs the built slotwise-cli as a separate process, as a user or a script would: in a given
// folder, with its own settings folder, standard input from a file or a pseudo-terminal, and
// its output and exit status collected.
#pragma once

#include <string>
#include <vector>

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

struct CliProcess {
    std::string workDir;    // the working directory of the run
    std::string configDir;  // XDG_CONFIG_HOME: the settings store's folder lives here

    // Standard input is /dev/null unless input is given; output goes to pipes, not a terminal.
    CliRun Run(const std::vector<std::string>& args, const std::string& input = std::string()) const;
    // Runs on a pseudo-terminal (stdin, stdout and stderr), typing `typed` once `waitFor` has
    // appeared in the output (or at once when empty). out holds everything the terminal showed.
    CliRun RunOnTerminal(const std::vector<std::string>& args,
                         const std::string& waitFor,
                         const std::string& typed) const;
};

// The --type and --dos options of the format commands, and their codes.
#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "jobs/job_parameters.h"

struct FormatChoice {
    std::string type = "1.44M";
    std::string dos;
    bool quick = false;

    // Declares --type, --quick and --dos on the command.
    void AddOptions(CLI::App* command);
    // The choice as the format dialogs hand it to the job.
    void FillParameters(JobParameters* parameters) const;
};

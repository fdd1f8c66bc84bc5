// A scratch folder with its own settings folder, a drive image in it, and slotwise-cli run
// there as a process; JSON output parsed with nlohmann-json.
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tests/cli/cli_process.h"

class CliTest : public ::testing::Test {
protected:
    CliTest();

    CliRun Cli(const std::vector<std::string>& args, const std::string& input = std::string()) const {
        return process.Run(args, input);
    }
    // Creates drive.img of `megabytes` MiB and formats it into `blocks` quick 1.44M blocks.
    void MakeDrive(int megabytes, int blocks);
    // The `list --json` of the drive, parsed (fails the test when it is not JSON).
    nlohmann::json ListJson(const std::string& image = "drive.img") const;
    nlohmann::json LsJson(int block) const;

    std::string Path(const std::string& name) const { return dir.File(name); }
    // Bytes of a block's slot in the drive image.
    std::string Slot(int block) const;
    static void PutFile(const std::string& path, const std::string& bytes);

    TempDir dir;
    CliProcess process;
};

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
    // The output of a command run with --json, parsed (fails the test when the command fails or
    // prints no JSON).
    nlohmann::json Json(std::vector<std::string> args) const;
    nlohmann::json ListJson(const std::string& image = "drive.img") const { return Json({"list", image}); }
    nlohmann::json LsJson(int block) const { return Json({"ls", "drive.img", std::to_string(block)}); }

    std::string Path(const std::string& name) const { return dir.File(name); }
    // Bytes of drive.img, read and written in place.
    std::string ReadAt(uint64_t offset, size_t bytes) const;
    void WriteAt(uint64_t offset, const std::string& bytes) const;
    std::string Slot(int block) const { return ReadAt(static_cast<uint64_t>(block) * 1572864, 1572864); }
    static void PutFile(const std::string& path, const std::string& bytes);

    TempDir dir;
    CliProcess process;
};

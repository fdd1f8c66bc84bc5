// The CLI test fixture.
#include "tests/cli/cli_fixture.h"

#include <filesystem>
#include <fstream>

CliTest::CliTest() {
    process.workDir = dir.path();
    process.configDir = dir.File("config");
    std::filesystem::create_directories(process.configDir);
}

void CliTest::MakeDrive(int megabytes, int blocks) {
    CliRun made = Cli({"create-image", "drive.img", "--size", std::to_string(megabytes) + "M"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    CliRun formatted = Cli({"format-drive", "drive.img", "--blocks", std::to_string(blocks), "--quick", "--yes"});
    ASSERT_EQ(formatted.exitCode, 0) << formatted.err;
}

nlohmann::json CliTest::ListJson(const std::string& image) const {
    CliRun run = Cli({"list", image, "--json"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    nlohmann::json parsed = nlohmann::json::parse(run.out, nullptr, false);
    EXPECT_FALSE(parsed.is_discarded()) << run.out;
    return parsed;
}

nlohmann::json CliTest::LsJson(int block) const {
    CliRun run = Cli({"ls", "drive.img", std::to_string(block), "--json"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    nlohmann::json parsed = nlohmann::json::parse(run.out, nullptr, false);
    EXPECT_FALSE(parsed.is_discarded()) << run.out;
    return parsed;
}

std::string CliTest::Slot(int block) const {
    std::ifstream in(Path("drive.img"), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(block) * 1572864);
    std::string bytes(1572864, '\0');
    in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void CliTest::PutFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteWholeFile(path, bytes);
}

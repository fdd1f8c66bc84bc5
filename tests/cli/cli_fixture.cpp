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

nlohmann::json CliTest::Json(std::vector<std::string> args) const {
    args.push_back("--json");
    CliRun run = Cli(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    nlohmann::json parsed = nlohmann::json::parse(run.out, nullptr, false);
    EXPECT_FALSE(parsed.is_discarded()) << run.out;
    return parsed;
}

std::string CliTest::ReadAt(uint64_t offset, size_t bytes) const {
    std::ifstream in(Path("drive.img"), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    std::string out(bytes, '\0');
    in.read(&out[0], static_cast<std::streamsize>(bytes));
    return out;
}

void CliTest::WriteAt(uint64_t offset, const std::string& bytes) const {
    std::fstream file(Path("drive.img"), std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void CliTest::PutFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteWholeFile(path, bytes);
}

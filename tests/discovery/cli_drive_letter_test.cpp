// slotwise-cli's commands, run in-process, on the drive letter of a USB stick played behind the raw
// calls: drives lists it, format-drive, list, save and open reach it through OpenDrive with the
// volume locked and dismounted, every transfer suits an unbuffered drive, and nothing stays open.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "disk/environment.h"
#include "disk/usb_drive.h"
#include "fake_usb_sticks.h"
#include "support/temp_dir.h"

namespace {

constexpr DWORD kLock = 0x00090018;
constexpr DWORD kDismount = 0x00090020;

// Standard output sent to a file while a command runs.
class CapturedOutput {
public:
    explicit CapturedOutput(const std::string& path) : path_(path) {
        std::fflush(stdout);
        saved_ = _dup(1);
        int fd = _open(path.c_str(), _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY, 0600);
        _dup2(fd, 1);
        _close(fd);
    }
    std::string Finish() {
        std::fflush(stdout);
        _dup2(saved_, 1);
        _close(saved_);
        std::string text = ReadWholeFile(path_);
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        return text;
    }

private:
    std::string path_;
    int saved_ = -1;
};

struct CliRun {
    int exitCode = -1;
    std::string out;
};

// As main() runs the tool: the same commands on a fresh app, the arguments without the program.
CliRun RunCli(const TempDir& dir, std::vector<std::string> arguments) {
    CLI::App app{"slotwise-cli", "slotwise-cli"};
    app.require_subcommand(1);
    app.fallthrough(false);
    int exitCode = kExitOk;
    AddDriveCommands(app, &exitCode);
    AddListCommands(app, &exitCode);
    AddFormatDriveCommand(app, &exitCode);
    AddJobCommands(app, &exitCode);
    AddSettingsCommand(app, &exitCode);
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    CapturedOutput capture(dir.File("stdout.txt"));
    CliRun run;
    try {
        app.parse(reversed);
        run.exitCode = exitCode;
    } catch (const CLI::ParseError& e) {
        run.exitCode = kExitUsage;
    }
    run.out = capture.Finish();
    return run;
}

// The stick opened as OpenDrive opens it on Windows 6: the volume, its lock and dismount, then
// the physical drive alone and unbuffered.
int CountDriveOpens(const std::vector<RawCallRecord>& calls) {
    int opens = 0;
    for (size_t i = 0; i + 3 < calls.size(); ++i) {
        if (calls[i].call != RawCall::CreateFile || calls[i].path != L"\\\\.\\E:") continue;
        if (calls[i + 1].ioControlCode != kLock || calls[i + 2].ioControlCode != kDismount) continue;
        const RawCallRecord& drive = calls[i + 3];
        if (drive.call == RawCall::CreateFile && drive.path == L"\\\\.\\PHYSICALDRIVE1" && drive.share == 0 &&
            drive.flags == 0x20000080u) {
            ++opens;
        }
    }
    return opens;
}

void ExpectUnbufferedTransfers(const std::vector<RawCallRecord>& calls) {
    for (size_t i = 0; i < calls.size(); ++i) {
        const RawCallRecord& c = calls[i];
        if (c.call != RawCall::ReadFile && c.call != RawCall::WriteFile) continue;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(c.buffer) % kTransferAlignment, 0u);
        EXPECT_EQ(c.size % 512, 0u);
        ASSERT_EQ(calls[i - 1].call, RawCall::SetFilePointer);
        EXPECT_EQ(static_cast<uint32_t>(calls[i - 1].distance) % 512, 0u);
    }
}

class CliOnAStick : public testing::Test {
protected:
    CliOnAStick() : savedVersion_(environmentInfo.osMajorVersion) {
        environmentInfo.osMajorVersion = 6;
        FakeStick stick;
        stick.deviceNumber = 1;
        stick.lastAddress = 4 * 3072 + 99;  // room for four blocks
        sticks.Add(stick);
        sticks.AddRoot(L"C:\\", DRIVE_FIXED);
        sticks.discovery.dosDevices[L"E:"] = L"\\Device\\HarddiskVolume7";
        sticks.discovery.devices = {{L"\\Device\\HarddiskVolume7"}};
    }
    ~CliOnAStick() override { environmentInfo.osMajorVersion = savedVersion_; }

    // The raw calls made since the last look.
    std::vector<RawCallRecord> NewCalls() {
        auto all = sticks.Calls();
        std::vector<RawCallRecord> fresh(all.begin() + static_cast<std::ptrdiff_t>(seen_), all.end());
        seen_ = all.size();
        return fresh;
    }

    TempDir dir;
    FakeUsbSticks sticks;

private:
    uint32_t savedVersion_;
    size_t seen_ = 0;
};

}  // namespace

TEST_F(CliOnAStick, DrivesListsTheStickByItsLetter) {
    CliRun run = RunCli(dir, {"drives"});
    EXPECT_EQ(run.exitCode, kExitOk);
    EXPECT_NE(run.out.find("E: ("), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" 1 USB FlashDisk USB Device"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("C:"), std::string::npos) << run.out;
    // Discovery only probes: the drive itself is never opened.
    EXPECT_EQ(CountDriveOpens(NewCalls()), 0);
}

TEST_F(CliOnAStick, ALetterThatIsNoStickIsRefused) {
    CliRun run = RunCli(dir, {"list", "F:"});
    EXPECT_EQ(run.exitCode, kExitFailed);
    EXPECT_EQ(CountDriveOpens(NewCalls()), 0);
}

TEST_F(CliOnAStick, FormatListSaveAndOpenReachTheStickThroughOpenDrive) {
    CliRun run = RunCli(dir, {"format-drive", "E:", "--blocks", "3", "--yes"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.out;
    auto calls = NewCalls();
    EXPECT_EQ(CountDriveOpens(calls), 1);
    ExpectUnbufferedTransfers(calls);
    // Block 0's header names three blocks; the volume device was restarted afterwards.
    EXPECT_NE(sticks.ReadDisk(1, 3071 * 512, 512).find("MAX BLOCK:"), std::string::npos);
    EXPECT_NE(std::find(sticks.discovery.log.begin(), sticks.discovery.log.end(), "call 1 0x12"),
              sticks.discovery.log.end());

    run = RunCli(dir, {"list", "E:"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.out;
    for (const char* serial : {"000", "001", "002"})
        EXPECT_NE(run.out.find(serial), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("003"), std::string::npos) << run.out;
    calls = NewCalls();
    EXPECT_EQ(CountDriveOpens(calls), 1);
    ExpectUnbufferedTransfers(calls);

    namespace fs = std::filesystem;
    fs::create_directories(fs::u8path(dir.File("in/FLOPPY001/DOCS")));
    const std::string text = "A file saved into block 1 of the stick.\r\n";
    WriteWholeFile(dir.File("in/FLOPPY001/README.TXT"), text);
    WriteWholeFile(dir.File("in/FLOPPY001/DOCS/BIG.BIN"), std::string(300000, 'b'));
    // save and open list the blocks first (a job of its own), then run their job: two opens.
    run = RunCli(dir, {"save", "E:", "1", "--dir", dir.File("in"), "--yes"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.out;
    calls = NewCalls();
    EXPECT_EQ(CountDriveOpens(calls), 2);
    ExpectUnbufferedTransfers(calls);
    EXPECT_FALSE(CallsOf(calls, RawCall::WriteFile).empty());

    run = RunCli(dir, {"open", "E:", "1", "--dir", dir.File("out")});
    ASSERT_EQ(run.exitCode, kExitOk) << run.out;
    calls = NewCalls();
    EXPECT_EQ(CountDriveOpens(calls), 2);
    ExpectUnbufferedTransfers(calls);
    EXPECT_TRUE(CallsOf(calls, RawCall::WriteFile).empty());
    EXPECT_EQ(ReadWholeFile(dir.File("out/FLOPPY001/README.TXT")), text);
    EXPECT_EQ(ReadWholeFile(dir.File("out/FLOPPY001/DOCS/BIG.BIN")), std::string(300000, 'b'));

    EXPECT_EQ(sticks.OpenHandles(), 0u);
}

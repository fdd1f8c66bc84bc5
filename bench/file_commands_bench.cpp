// The commands on files in place. put-bytes: one small file put into a block that the corpus
// fills most of (BlockEdit, as slotwise-cli put drives it), counting the bytes written to the
// drive, beside a save of the same folder with that file added; and slotwise-cli put beside
// mcopy of the same file into the same slot. find: slotwise-cli find over 100 blocks beside
// mdir -/ run once per slot (all 100 in one shell).
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_util.h"
#include "bench/benchmarks.h"
#include "bench/block_bench_rig.h"
#include "blocks/block_edit.h"
#include "blocks/block_status.h"
#include "disk/image_drive.h"
#include "disk/wide_path.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 5;
const std::string kCli = SLOTWISE_CLI_PATH;

// An image file drive that counts the bytes written to it.
class CountingDrive : public RawDrive {
public:
    explicit CountingDrive(std::unique_ptr<RawDrive> inner) : inner_(std::move(inner)) {}
    bool ReadAt(uint64_t offset, void* buffer, uint32_t bytes, uint32_t* done) override {
        return inner_->ReadAt(offset, buffer, bytes, done);
    }
    bool WriteAt(uint64_t offset, const void* buffer, uint32_t bytes, uint32_t* done) override {
        written += bytes;
        return inner_->WriteAt(offset, buffer, bytes, done);
    }
    bool Flush() override { return inner_->Flush(); }
    bool SyncForReadBack(uint64_t offset, uint64_t bytes) override { return inner_->SyncForReadBack(offset, bytes); }
    uint64_t written = 0;

private:
    std::unique_ptr<RawDrive> inner_;
};

CountingDrive* AttachCounting(BlockRig& rig, const std::string& image) {
    auto drive = std::make_unique<CountingDrive>(ImageDrive::Open(WideFromUtf8(image), true));
    CountingDrive* counting = drive.get();
    rig.sectors.AttachDrive(std::move(drive));
    return counting;
}

}  // namespace

int RunPutBytesBenchmark() {
    if (FindProgram("mcopy").empty()) {
        std::printf("  skipped: mcopy is not installed\n");
        return 1;
    }
    ScratchDir scratch(true);  // slotwise-cli takes a path under /dev/ for a device
    const std::string src = scratch.File("FLOPPY001");
    const std::string image = scratch.File("drive.img");
    Corpus corpus = MakeFloppyCorpus();
    fs::create_directories(src);
    WriteCorpus(corpus, src);
    const std::string note(100, 'n');
    BlockRig rig;
    if (!MakeSparseImage(image, 2 * kSlotSectors + 1) || rig.FormatDrive(image, 2) != BLK_OK || !rig.Attach(image) ||
        rig.manager.CopyDirectoryToBlock(WideFromUtf8(src), 1, 0) != 0) {
        std::printf("  could not save the corpus into block 1\n");
        return 1;
    }
    rig.Close();

    // put: the block loaded, the file added in memory, the changed sectors written and read back.
    CountingDrive* drive = AttachCounting(rig, image);
    BlockEdit edit(rig.manager);
    uint32_t count = static_cast<uint32_t>(note.size()), sectors = 0;
    bool began = false;
    int status = edit.Load(1);
    if (status == 0) status = rig.engine.fsCreate("\\NOTE.TXT", 0);
    if (status == 0) status = rig.engine.fsWriteBytes(note.data(), &count);
    if (status == 0) status = rig.engine.fsClose();
    const uint64_t beforeCommit = drive->written;
    if (status == 0) status = edit.Commit(&sectors, &began);
    const uint64_t putBytes = drive->written - beforeCommit;
    rig.Close();
    const std::string slot = ShellQuote(image + "@@" + std::to_string(SlotOffset(1)));
    if (status != 0 || RunCommand("mcopy -n -i " + slot + " ::NOTE.TXT " + ShellQuote(scratch.File("note.txt"))) != 0 ||
        ReadFileBytes(scratch.File("note.txt")) != note) {
        std::printf("  put failed (status %d) or mcopy cannot read the file back\n", status);
        return 1;
    }

    // save: the same folder, the file among it, written over the whole block.
    WriteFileBytes(src + "/NOTE.TXT", note);
    drive = AttachCounting(rig, image);
    status = rig.manager.CopyDirectoryToBlock(WideFromUtf8(src), 1, 0);
    const uint64_t saveBytes = drive->written;
    rig.Close();
    if (status != 0) {
        std::printf("  save failed with status %d\n", status);
        return 1;
    }
    std::printf("  a %zu-byte file into block 1 holding %llu bytes in %zu files:\n", note.size(),
                static_cast<unsigned long long>(corpus.fileBytes), corpus.files);
    std::printf("  put  %8llu bytes written (%u sectors, the header among them)\n",
                static_cast<unsigned long long>(putBytes), sectors);
    std::printf("  save %8llu bytes written   save/put %6.0fx\n", static_cast<unsigned long long>(saveBytes),
                static_cast<double>(saveBytes) / static_cast<double>(putBytes));

    // The command itself, replacing the file each round, beside mcopy doing the same.
    const std::string put =
        ShellQuote(kCli) + " put " + ShellQuote(image) + " 1 " + ShellQuote(src + "/NOTE.TXT") + " --force";
    const std::string mcopy = "mcopy -o -i " + slot + " " + ShellQuote(src + "/NOTE.TXT") + " ::NOTE.TXT";
    int toolStatus = 0;
    double ours = BestOf(kRounds, nullptr, [&] { toolStatus |= RunCommand(put); });
    double tool = BestOf(kRounds, nullptr, [&] { toolStatus |= RunCommand(mcopy); });
    if (toolStatus != 0) {
        std::printf("  slotwise-cli put or mcopy failed\n");
        return 1;
    }
    std::printf("  slotwise-cli put %9s   mcopy %9s   mcopy/put %5.1fx\n", FormatSeconds(ours).c_str(),
                FormatSeconds(tool).c_str(), tool / ours);
    return putBytes * 20 < saveBytes ? 0 : 1;
}

int RunFindBenchmark() {
    if (FindProgram("mdir").empty()) {
        std::printf("  skipped: mdir is not installed\n");
        return 1;
    }
    constexpr uint32_t kBlocks = 100;
    ScratchDir scratch(true);  // slotwise-cli takes a path under /dev/ for a device
    const std::string image = scratch.File("drive.img");
    const std::string src = scratch.File("tree");
    // 20 files in 4 folders per block, 5 of them named *.TXT.
    for (int folder = 0; folder < 4; ++folder) {
        const std::string dir = src + "/Folder number " + std::to_string(folder);
        fs::create_directories(dir);
        for (int file = 0; file < 5; ++file)
            WriteFileBytes(
                dir + "/" + (file == 0 ? "Notes " : "Data ") + std::to_string(file) + (file == 0 ? ".txt" : ".bin"),
                std::string(3000, 'x'));
    }
    BlockRig rig;
    const uint64_t imageSectors = uint64_t{kBlocks} * kSlotSectors + 1;
    bool ok = MakeSparseImage(image, imageSectors) && rig.FormatDrive(image, kBlocks) == BLK_OK && rig.Attach(image);
    for (uint32_t block = 0; ok && block < kBlocks; ++block)
        ok = rig.manager.CopyDirectoryToBlock(WideFromUtf8(src), block, 0) == 0;
    rig.Close();
    if (!ok) {
        std::printf("  could not fill the drive image\n");
        return 1;
    }
    const std::string find = ShellQuote(kCli) + " find " + ShellQuote(image) + " '*.txt'";
    std::string mdir;
    for (uint32_t block = 0; block < kBlocks; ++block)
        mdir += (mdir.empty() ? "" : " && ") + std::string("mdir -/ -i ") +
                ShellQuote(image + "@@" + std::to_string(SlotOffset(block))) + " ::";
    mdir = "true && { " + mdir + "; }";
    if (RunCommand("test \"$(" + find + " | wc -l)\" -eq " + std::to_string(kBlocks * 4)) != 0) {
        std::printf("  find did not find the 4 files of each block\n");
        return 1;
    }
    int toolStatus = 0;
    double ours = BestOf(kRounds, nullptr, [&] { toolStatus |= RunCommand(find); });
    double tool = BestOf(kRounds, nullptr, [&] { toolStatus |= RunCommand(mdir); });
    if (toolStatus != 0) {
        std::printf("  find or mdir failed\n");
        return 1;
    }
    std::printf("  %u blocks of 20 files in 4 folders; best of %d rounds\n", kBlocks, kRounds);
    std::printf("  find %9s   mdir -/ x%u %9s   mdir/find %6.1fx%s\n", FormatSeconds(ours).c_str(), kBlocks,
                FormatSeconds(tool).c_str(), tool / ours, ours < tool ? "" : "  FIND NOT FASTER");
    return ours < tool ? 0 : 1;
}

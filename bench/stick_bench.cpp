// The stick-level commands of slotwise-cli over 100 full blocks (the corpus in each): check
// beside fsck.fat -n run once per slot (the slots cut out beforehand, untimed), and
// backup --images beside dd of the whole drive (with and without flushing it to the disk). Both sides run as processes from one shell.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_util.h"
#include "bench/benchmarks.h"
#include "bench/block_bench_rig.h"
#include "blocks/block_status.h"
#include "disk/wide_path.h"

namespace fs = std::filesystem;

namespace {
constexpr int kRounds = 3;
constexpr uint32_t kBlocks = 100;

// A drive image of 100 blocks, each holding the corpus: saved once into block 1, its volume
// (header left alone) copied into every other slot.
bool MakeFullDrive(const ScratchDir& scratch, const std::string& image) {
    const std::string src = scratch.File("corpus");
    fs::create_directories(src);
    WriteCorpus(MakeFloppyCorpus(), src);
    BlockRig rig;
    if (!MakeSparseImage(image, uint64_t(kBlocks) * kSlotSectors + 1) || rig.FormatDrive(image, kBlocks) != BLK_OK ||
        !rig.Attach(image))
        return false;
    int status = rig.manager.CopyDirectoryToBlock(WideFromUtf8(src), 1, 0);
    rig.Close();
    if (status != BLK_OK) return false;
    const std::string volume = ReadFileBytes(image).substr(SlotOffset(1), kBlockImageSize - kSectorSize);
    std::fstream out(image, std::ios::binary | std::ios::in | std::ios::out);
    for (uint32_t block = 0; block < kBlocks; ++block) {
        out.seekp(static_cast<std::streamoff>(SlotOffset(block)));
        out.write(volume.data(), static_cast<std::streamsize>(volume.size()));
    }
    return static_cast<bool>(out);
}

void PrintLine(const char* what, double ours, const char* peer, double tool) {
    std::printf("  %-16s ours %9s   %-14s %9s   peer/ours %5.1fx\n", what, FormatSeconds(ours).c_str(), peer,
                FormatSeconds(tool).c_str(), tool / ours);
}
}  // namespace

int RunStickBenchmark() {
    const std::string fsck = FindProgram("fsck.fat");
    if (fsck.empty()) {
        std::printf("  skipped: fsck.fat is not installed\n");
        return 1;
    }
    ScratchDir scratch(true);
    const std::string image = scratch.File("drive.img");
    if (!MakeFullDrive(scratch, image)) {
        std::printf("  could not make the drive image\n");
        return 1;
    }
    const std::string cli = ShellQuote(SLOTWISE_CLI_PATH);
    std::printf("  %u blocks, each holding the corpus, in %s; best of %d rounds\n", kBlocks, scratch.path().c_str(),
                kRounds);

    // check: ours over the drive, fsck.fat -n over each slot cut out.
    std::string fscks = "true";
    for (uint32_t block = 0; block < kBlocks; ++block) {
        const std::string slot = scratch.File("slot" + std::to_string(block) + ".img");
        RunCommand("dd if=" + ShellQuote(image) + " of=" + ShellQuote(slot) + " bs=512 skip=" +
                   std::to_string(block * kSlotSectors) + " count=" + std::to_string(kSlotSectors) + " status=none");
        fscks += " && " + ShellQuote(fsck) + " -n " + ShellQuote(slot);
    }
    int ourStatus = 0, toolStatus = 0;
    double ours = BestOf(kRounds, nullptr, [&] { ourStatus |= RunCommand(cli + " check " + ShellQuote(image)); });
    double tool = BestOf(kRounds, nullptr, [&] { toolStatus |= RunCommand("true && { " + fscks + "; }"); });
    if (ourStatus != 0 || toolStatus != 0) {
        std::printf("  check (status %d) or fsck.fat (status %d) found a fault in the sound drive\n", ourStatus,
                    toolStatus);
        return 1;
    }
    PrintLine("check", ours, "fsck.fat -n x100", tool);

    // backup --images: ours into a fresh folder each round, dd of the drive into one file.
    const std::string backups = scratch.File("backups");
    const std::string copy = scratch.File("copy.img");
    double oursBackup = BestOf(
        kRounds, [&] { fs::remove_all(backups); },
        [&] { ourStatus |= RunCommand(cli + " backup " + ShellQuote(image) + " --images " + ShellQuote(backups)); });
    double ddBackup = BestOf(
        kRounds, [&] { fs::remove(copy); },
        [&] {
            toolStatus |= RunCommand("dd if=" + ShellQuote(image) + " of=" + ShellQuote(copy) + " bs=1M status=none");
        });
    // Each backup file is flushed to the disk before the command ends; dd is also run so.
    double ddSynced = BestOf(
        kRounds, [&] { fs::remove(copy); },
        [&] {
            toolStatus |= RunCommand("dd if=" + ShellQuote(image) + " of=" + ShellQuote(copy) +
                                     " bs=1M conv=fsync status=none");
        });
    if (ourStatus != 0 || toolStatus != 0) {
        std::printf("  backup --images (status %d) or dd (status %d) failed\n", ourStatus, toolStatus);
        return 1;
    }
    PrintLine("backup --images", oursBackup, "dd", ddBackup);
    PrintLine("backup --images", oursBackup, "dd conv=fsync", ddSynced);
    return 0;
}

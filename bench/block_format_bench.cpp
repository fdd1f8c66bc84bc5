// Whole-drive format of 100 full 1.44M blocks onto a 150 MiB image file on disk, flushed at
// close, beside dd writing 150 MiB of zeros to a file with fsync. The format writes fewer bytes
// than dd (2880 of every 3072 sectors) but in 100 separate runs with a header between them.
// It reads every block back from the disk to check it; the same format without that check
// gives what the check costs.
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_util.h"
#include "bench/benchmarks.h"
#include "bench/block_bench_rig.h"
#include "blocks/block_status.h"

namespace {

constexpr int kRounds = 3;
constexpr uint32_t kBlocks = 100;
constexpr double kGoalRatio = 1.5;

}  // namespace

int RunBlockFormatBenchmark() {
    if (FindProgram("dd").empty()) {
        std::printf("  skipped: dd is not installed\n");
        return 1;
    }
    ScratchDir scratch(true);
    const std::string image = scratch.File("drive.img");
    const std::string ddFile = scratch.File("dd.img");
    // One sector past the last slot: the end mark after block 99 lies inside the file.
    const uint64_t imageSectors = static_cast<uint64_t>(kBlocks) * kSlotSectors + 1;
    std::printf("  %u full 1.44M blocks on a %llu-byte image in %s; best of %d rounds\n", kBlocks,
                static_cast<unsigned long long>(imageSectors * kSectorSize), scratch.path().c_str(), kRounds);

    BlockRig rig;
    int status = BLK_OK;
    bool made = true;
    double ours = BestOf(
        kRounds, [&] { made = made && MakeSparseImage(image, imageSectors); },
        [&] {
            int s = rig.FormatDrive(image, kBlocks);
            if (s != BLK_OK) status = s;
        });

    rig.manager.verifyWrites = 0;
    double unchecked = BestOf(
        kRounds, [&] { made = made && MakeSparseImage(image, imageSectors); },
        [&] {
            int s = rig.FormatDrive(image, kBlocks);
            if (s != BLK_OK) status = s;
        });
    rig.manager.verifyWrites = 1;

    const std::string dd = FindProgram("dd") + " if=/dev/zero of=" + ShellQuote(ddFile) + " bs=1M count=150 conv=fsync";
    int ddStatus = 0;
    double tool = BestOf(
        kRounds,
        [&] {
            std::error_code ec;
            std::filesystem::remove(ddFile, ec);
        },
        [&] { ddStatus |= RunCommand(dd); });

    if (!made || status != BLK_OK) {
        std::printf("  format failed (status %d)\n", status);
        return 1;
    }
    // A format that left the drive unlisted has no figure worth printing.
    if (!rig.Attach(image) || rig.manager.EnumerateBlocks(static_cast<uint32_t>(imageSectors - 1), 0) != BLK_OK ||
        rig.frontEnd.insertedRows != static_cast<int>(kBlocks)) {
        std::printf("  the formatted drive does not list %u blocks\n", kBlocks);
        return 1;
    }
    rig.Close();
    if (ddStatus != 0) {
        std::printf("  dd failed\n");
        return 1;
    }
    const bool met = ours <= tool * kGoalRatio;
    std::printf("  format %9s   dd 150 MiB %9s   format/dd %5.2fx   (goal %.1fx)%s\n", FormatSeconds(ours).c_str(),
                FormatSeconds(tool).c_str(), ours / tool, kGoalRatio, met ? "" : "  GOAL MISSED");
    std::printf("  unchecked %9s   checked/unchecked %5.2fx   (reading every block back)\n",
                FormatSeconds(unchecked).c_str(), ours / unchecked);
    return met ? 0 : 1;
}

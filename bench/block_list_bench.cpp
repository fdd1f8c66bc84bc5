// Listing the 100 blocks of a fully formatted drive image (EnumerateBlocks, rows discarded)
// beside mtools' minfo run once per slot. All 100 minfo runs share one shell, so the peer's
// figure is 100 process starts of minfo and one of the shell.
#include <cstdio>
#include <string>

#include "bench/bench_util.h"
#include "bench/benchmarks.h"
#include "bench/block_bench_rig.h"
#include "blocks/block_status.h"

namespace {

constexpr int kRounds = 5;
constexpr uint32_t kBlocks = 100;

}  // namespace

int RunBlockListBenchmark() {
    if (FindProgram("minfo").empty()) {
        std::printf("  skipped: minfo is not installed\n");
        return 1;
    }
    ScratchDir scratch;
    const std::string image = scratch.File("drive.img");
    const uint64_t imageSectors = static_cast<uint64_t>(kBlocks) * kSlotSectors + 1;
    BlockRig rig;
    if (!MakeSparseImage(image, imageSectors) || rig.FormatDrive(image, kBlocks) != BLK_OK || !rig.Attach(image)) {
        std::printf("  could not format the drive image\n");
        return 1;
    }
    std::printf("  %u full 1.44M blocks in %s; best of %d rounds\n", kBlocks, scratch.path().c_str(), kRounds);

    int status = BLK_OK;
    int rows = 0;
    const uint32_t lastSector = static_cast<uint32_t>(imageSectors - 1);
    double ours = BestOf(kRounds, nullptr, [&] {
        int s = rig.manager.EnumerateBlocks(lastSector, 0);
        if (s != BLK_OK) status = s;
        rows = rig.frontEnd.insertedRows;
    });
    rig.Close();

    std::string minfo;
    for (uint32_t block = 0; block < kBlocks; ++block) {
        if (!minfo.empty()) minfo += " && ";
        minfo += "minfo -i " + ShellQuote(image + "@@" + std::to_string(SlotOffset(block))) + " ::";
    }
    // Grouped, so that the output of every run, not only the last, is discarded.
    minfo = "true && { " + minfo + "; }";
    int toolStatus = 0;
    double tool = BestOf(kRounds, nullptr, [&] { toolStatus |= RunCommand(minfo); });

    if (status != BLK_OK || rows != static_cast<int>(kBlocks)) {
        std::printf("  listing failed (status %d, %d rows)\n", status, rows);
        return 1;
    }
    if (toolStatus != 0) {
        std::printf("  minfo failed on a formatted slot\n");
        return 1;
    }
    std::printf("  list %9s   minfo x%u %9s   minfo/list %6.1fx%s\n", FormatSeconds(ours).c_str(), kBlocks,
                FormatSeconds(tool).c_str(), tool / ours, ours < tool ? "" : "  LIST NOT FASTER");
    return ours < tool ? 0 : 1;
}

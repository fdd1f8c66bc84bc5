// Save and open of one block: the corpus of PC files copied into block 1 of a drive image
// (CopyDirectoryToBlock) and the block copied back out to PC files (CopyBlockToDirectory),
// beside `mcopy -s` into and out of the same slot through "-i image@@offset"; and the save
// without reading the block back, for what that check costs.
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

constexpr int kRounds = 5;
constexpr uint32_t kBlock = 1;

void Recreate(const std::string& path) {
    fs::remove_all(path);
    fs::create_directories(path);
}

// Puts the freshly formatted slot back, so that every mcopy round starts from an empty block.
bool RestoreSlot(const std::string& image, const std::string& slot) {
    std::fstream out(image, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(SlotOffset(kBlock)));
    out.write(slot.data(), static_cast<std::streamsize>(slot.size()));
    return static_cast<bool>(out);
}

void PrintLine(const char* direction, double ours, double tool) {
    std::printf("  %-6s ours %9s   mcopy %9s   mcopy/ours %5.1fx%s\n", direction, FormatSeconds(ours).c_str(),
                FormatSeconds(tool).c_str(), tool / ours, ours < tool ? "" : "  NOT FASTER");
}

}  // namespace

int RunBlockCopyBenchmark() {
    if (FindProgram("mcopy").empty()) {
        std::printf("  skipped: mcopy is not installed\n");
        return 1;
    }
    ScratchDir scratch;
    const std::string src = scratch.File("corpus");
    const std::string image = scratch.File("drive.img");
    const std::string oursOut = scratch.File("ours-out");
    const std::string toolOut = scratch.File("mcopy-out");
    const std::string crossOut = scratch.File("cross-out");
    Corpus corpus = MakeFloppyCorpus();
    fs::create_directories(src);
    WriteCorpus(corpus, src);

    BlockRig rig;
    const uint64_t imageSectors = static_cast<uint64_t>(kBlock + 1) * kSlotSectors + 1;
    if (!MakeSparseImage(image, imageSectors) || rig.FormatDrive(image, kBlock + 1) != BLK_OK) {
        std::printf("  could not format the drive image\n");
        return 1;
    }
    const std::string freshSlot = ReadFileBytes(image).substr(SlotOffset(kBlock), kBlockImageSize);
    std::printf("  corpus: %zu files in %zu folders, %llu bytes; block %u of a drive image in %s; best of %d rounds\n",
                corpus.files, corpus.folders, static_cast<unsigned long long>(corpus.fileBytes), kBlock,
                scratch.path().c_str(), kRounds);

    if (!rig.Attach(image)) {
        std::printf("  could not open the drive image\n");
        return 1;
    }
    int status = 0;
    auto note = [&](int s) {
        if (s != 0) status = s;
    };
    double oursSave =
        BestOf(kRounds, nullptr, [&] { note(rig.manager.CopyDirectoryToBlock(WideFromUtf8(src), kBlock, 0)); });
    rig.manager.verifyWrites = 0;
    double uncheckedSave =
        BestOf(kRounds, nullptr, [&] { note(rig.manager.CopyDirectoryToBlock(WideFromUtf8(src), kBlock, 0)); });
    rig.manager.verifyWrites = 1;
    double oursOpen = BestOf(
        kRounds, [&] { Recreate(oursOut); },
        [&] { note(rig.manager.CopyBlockToDirectory(WideFromUtf8(oursOut), kBlock)); });
    rig.Close();

    const std::string slot = ShellQuote(image + "@@" + std::to_string(SlotOffset(kBlock)));
    const std::string mcopyIn = "cd " + ShellQuote(src) + " && mcopy -s -i " + slot + " * ::/";
    const std::string mcopyOut = "mcopy -s -n -i " + slot + " ::/ ";

    // What the block holds now was saved by us: mcopy must read it back whole.
    std::string why;
    if (status != 0) {
        std::printf("  block copy failed with status %d\n", status);
        return 1;
    }
    if (!TreeHoldsCorpus(oursOut, corpus, &why)) {
        std::printf("  our round trip is wrong: %s\n", why.c_str());
        return 1;
    }
    Recreate(crossOut);
    if (RunCommand(mcopyOut + ShellQuote(crossOut)) != 0 || !TreeHoldsCorpus(crossOut, corpus, &why)) {
        std::printf("  mcopy cannot read the saved block back: %s\n", why.c_str());
        return 1;
    }

    int toolStatus = 0;
    bool restored = true;
    double toolSave = BestOf(
        kRounds, [&] { restored = restored && RestoreSlot(image, freshSlot); },
        [&] { toolStatus |= RunCommand(mcopyIn); });
    double toolOpen = BestOf(
        kRounds, [&] { Recreate(toolOut); }, [&] { toolStatus |= RunCommand(mcopyOut + ShellQuote(toolOut)); });
    if (!restored || toolStatus != 0 || !TreeHoldsCorpus(toolOut, corpus, &why)) {
        std::printf("  mcopy round trip is wrong: %s\n", why.c_str());
        return 1;
    }

    PrintLine("save", oursSave, toolSave);
    PrintLine("open", oursOpen, toolOpen);
    std::printf("  save unchecked %9s   checked/unchecked %5.2fx   (reading the block back)\n",
                FormatSeconds(uncheckedSave).c_str(), oursSave / uncheckedSave);
    return oursSave < toolSave && oursOpen < toolOpen ? 0 : 1;
}

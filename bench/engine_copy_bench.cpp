// The file engine writing a corpus of PC files into an empty in-memory 1.44M volume and reading
// it all back to PC files, as the save and open of a block do, beside `mcopy -s` into and out
// of an image file of the same geometry. Both sides read and write the same PC files; the
// engine's figures without PC files are printed beside them.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench/bench_util.h"
#include "bench/benchmarks.h"
#include "disk/sector_access.h"
#include "fatfs/file_engine.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 7;
constexpr size_t kVolumeBytes = 2880 * kSectorSize;
constexpr size_t kFileBufferBytes = kBlockImageSize;  // what one fsReadBytes may take, as in the open of a block

class EngineCopier {
public:
    EngineCopier() : engine_(sectors_), fileBuffer_(kFileBufferBytes, '\0') { sectors_.UseImageMode(); }

    void LoadVolume(const std::string& volume) { std::memcpy(sectors_.blockImage(), volume.data(), volume.size()); }
    std::string Volume() const {
        return std::string(reinterpret_cast<const char*>(sectors_.blockImage()), kVolumeBytes);
    }

    // Every corpus entry, its bytes read from the PC file under hostRoot, or taken from the
    // corpus itself when hostRoot is "". FS_OK or the first failure.
    FsStatus WriteCorpus(const Corpus& corpus, const std::string& hostRoot) {
        FsStatus status = engine_.fsMount();
        if (status != FS_OK) return status;
        for (const CorpusEntry& entry : corpus.entries) {
            engine_.ClearCreateLongName();
            for (size_t i = 0; i < entry.longName.size(); ++i)
                engine_.createLongName()[i] = static_cast<char16_t>(entry.longName[i]);
            const uint8_t attribute = entry.directory ? 0x10 : 0x20;
            FileInfo info{0xFFFFFFFF, 0x5A2F, 0x6000, 0x5A2F, 0x6000, 0x5A2F, 0, attribute};
            if (entry.directory) {
                status = engine_.fsCreateDir(entry.shortPath.c_str());
                if (status == FS_OK) status = engine_.fsFileInfo(&info, 0);
                if (status != FS_OK) return status;
                continue;
            }
            const std::string bytes = hostRoot.empty() ? entry.bytes : ReadFileBytes(hostRoot + "/" + entry.hostPath);
            uint32_t count = static_cast<uint32_t>(bytes.size());
            status = engine_.fsCreate(entry.shortPath.c_str(), 0);
            if (status == FS_OK) status = engine_.fsFileInfo(&info, 0);
            if (status == FS_OK) status = engine_.fsWriteBytes(bytes.data(), &count);
            if (status == FS_OK) status = engine_.fsClose();
            if (status != FS_OK) return status;
        }
        return FS_OK;
    }

    // Every directory and file of the volume into PC files under hostRoot, by their long names;
    // with hostRoot "", into memory only.
    FsStatus ReadAll(const std::string& hostRoot) {
        FsStatus status = engine_.fsMount();
        return status == FS_OK ? ReadDirectory("", u"", hostRoot) : status;
    }

private:
    FsStatus ReadDirectory(const std::string& shortDir, const std::u16string& wideDir, const std::string& hostDir) {
        const std::string pattern = shortDir + "\\*";
        const std::u16string widePattern = wideDir + u"\\*";
        for (uint32_t index = 0;; ++index) {
            engine_.SetEnumerationIndex(index);
            FsStatus status = engine_.fsOpen(pattern.c_str(), widePattern.c_str());
            if (status == FS_NOT_FOUND) return FS_OK;
            if (status != FS_OK && status != FS_IS_DIRECTORY) return status;
            std::string shortPath = engine_.commandPath();
            std::u16string widePath = engine_.foundLongName();
            std::string name;
            for (char16_t c : widePath.substr(widePath.find_last_of(u'\\') + 1))
                name += static_cast<char>(c);
            const bool toPc = !hostDir.empty();
            std::string hostPath = toPc ? hostDir + "/" + name : "";
            if (status == FS_IS_DIRECTORY) {
                if (shortPath.back() == '.') continue;
                if (toPc) fs::create_directory(hostPath);
                status = ReadDirectory(shortPath, widePath, hostPath);
                if (status != FS_OK) return status;
                continue;
            }
            FileInfo info{};
            if (engine_.fsFileInfo(&info, 1) == FS_OK && info.attribute == 0x08) continue;  // the volume label
            uint32_t count = static_cast<uint32_t>(fileBuffer_.size());
            status = engine_.fsReadBytes(&fileBuffer_[0], &count);
            if (status != FS_OK) return status;
            if (toPc) WriteFileBytes(hostPath, std::string(fileBuffer_.data(), count));
            engine_.fsClose();
        }
    }

    SectorAccess sectors_;
    FileEngine engine_;
    std::string fileBuffer_;
};

void Recreate(const std::string& path) {
    fs::remove_all(path);
    fs::create_directories(path);
}

void PrintLine(const char* direction, double engine, double engineAlone, double tool) {
    std::printf("  %-18s engine %9s   mcopy %9s   mcopy/engine %5.1fx   (engine without PC files %s)%s\n", direction,
                FormatSeconds(engine).c_str(), FormatSeconds(tool).c_str(), tool / engine,
                FormatSeconds(engineAlone).c_str(), engine < tool ? "" : "  ENGINE NOT FASTER");
}

}  // namespace

int RunEngineCopyBenchmark() {
    if (FindProgram("mkfs.fat").empty() || FindProgram("mcopy").empty()) {
        std::printf("  skipped: mkfs.fat or mcopy is not installed\n");
        return 1;
    }
    ScratchDir scratch;
    const std::string src = scratch.File("corpus");
    const std::string freshImage = scratch.File("fresh.img");
    const std::string toolImage = scratch.File("mcopy.img");
    const std::string engineOut = scratch.File("engine-out");
    const std::string toolOut = scratch.File("mcopy-out");
    Corpus corpus = MakeFloppyCorpus();
    fs::create_directories(src);
    WriteCorpus(corpus, src);
    if (RunCommand(FindProgram("mkfs.fat") + " -C " + ShellQuote(freshImage) + " 1440") != 0) {
        std::printf("  mkfs.fat failed\n");
        return 1;
    }
    const std::string freshVolume = ReadFileBytes(freshImage);
    std::printf("  corpus: %zu files in %zu folders, %llu bytes; 1.44M volume; PC files in %s; best of %d rounds\n",
                corpus.files, corpus.folders, static_cast<unsigned long long>(corpus.fileBytes), scratch.path().c_str(),
                kRounds);

    EngineCopier copier;
    FsStatus status = FS_OK;
    auto note = [&](FsStatus s) {
        if (s != FS_OK) status = s;
    };
    double engineAloneWrite = BestOf(
        kRounds, [&] { copier.LoadVolume(freshVolume); }, [&] { note(copier.WriteCorpus(corpus, "")); });
    double engineAloneRead = BestOf(kRounds, nullptr, [&] { note(copier.ReadAll("")); });
    double engineWrite = BestOf(
        kRounds, [&] { copier.LoadVolume(freshVolume); }, [&] { note(copier.WriteCorpus(corpus, src)); });
    double engineRead = BestOf(
        kRounds, [&] { Recreate(engineOut); }, [&] { note(copier.ReadAll(engineOut)); });

    const std::string mcopyIn = "cd " + ShellQuote(src) + " && mcopy -s -i " + ShellQuote(toolImage) + " * ::/";
    const std::string mcopyOut = "mcopy -s -n -i " + ShellQuote(toolImage) + " ::/ " + ShellQuote(toolOut);
    int toolStatus = 0;
    double toolWrite = BestOf(
        kRounds, [&] { WriteFileBytes(toolImage, freshVolume); }, [&] { toolStatus |= RunCommand(mcopyIn); });
    double toolRead = BestOf(
        kRounds, [&] { Recreate(toolOut); }, [&] { toolStatus |= RunCommand(mcopyOut); });

    // A copy that lost or changed anything has no figure worth printing.
    std::string why;
    if (status != FS_OK) {
        std::printf("  engine failed with status 0x%02X\n", status);
        return 1;
    }
    if (!TreeHoldsCorpus(engineOut, corpus, &why)) {
        std::printf("  engine round trip is wrong: %s\n", why.c_str());
        return 1;
    }
    if (toolStatus != 0 || !TreeHoldsCorpus(toolOut, corpus, &why)) {
        std::printf("  mcopy round trip is wrong: %s\n", why.c_str());
        return 1;
    }
    WriteFileBytes(toolImage, copier.Volume());
    Recreate(toolOut);
    if (RunCommand(mcopyOut) != 0 || !TreeHoldsCorpus(toolOut, corpus, &why)) {
        std::printf("  mcopy cannot read the engine's volume back: %s\n", why.c_str());
        return 1;
    }

    PrintLine("write into volume", engineWrite, engineAloneWrite, toolWrite);
    PrintLine("read back", engineRead, engineAloneRead, toolRead);
    return engineWrite < toolWrite && engineRead < toolRead ? 0 : 1;
}

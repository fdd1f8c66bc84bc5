// get, put, rm and mkdir: files and folders copied out of a block, and changed in it in place.
// Changes are made to the block's volume in memory first; every refusal comes before any of
// them, and only the sectors they touched are written back, then read back and compared.
#include <cwctype>
#include <memory>
#include <set>

#include "app/result_text.h"
#include "blocks/block_names.h"
#include "blocks/copy_common.h"
#include "blocks/local_time.h"
#include "blocks/placed_name.h"
#include "blocks/utf16_text.h"
#include "cli/block_files.h"
#include "cli/commands.h"
#include "cli/one_block.h"
#include "cli/terminal.h"
#include "disk/pc_path.h"
#include "disk/wide_path.h"

namespace {
constexpr char kBlockHelp[] = "The block's number.";
constexpr uint8_t kAttrDirectory = 0x10;

struct FileOptions {
    std::string drive;
    std::string block;
    std::vector<std::string> paths;
    std::string to;
    std::string exist;
    bool force = false;
    bool recursive = false;
    bool parents = false;
    bool noVerify = false;
    int32_t codePage = -1;
};

std::wstring Counted(int count, const wchar_t* thing) {
    return std::to_wstring(count) + L" " + thing + (count == 1 ? L"" : L"s");
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + (path.empty() ? std::wstring(L"/") : path) + L"\"";
}

// A found entry, or the failure in words ("" when found).
std::wstring Locate(OneBlock& b, const std::string& path, BlockFile* found) {
    std::wstring wide = WideFromUtf8(path);
    int status = FindBlockPath(b.session.engine, wide, found);
    if (status == FS_OK) return std::wstring();
    if (status == FS_NOT_FOUND || status == FS_PATH_NOT_FOUND)
        return L"no file or folder " + Quoted(wide) + L" in it (slotwise-cli ls lists what it holds).";
    return Quoted(wide) + L": " + OneBlock::StatusWords(status) + L".";
}

// The entries of a block folder (null: the root); false when it cannot be listed.
bool ListFolder(OneBlock& b, const BlockFile* folder, std::vector<BlockFile>* entries) {
    std::vector<std::wstring> problems;
    return ListBlockFolder(b.session.engine, folder, entries, &problems) == 0;
}

const BlockFile* Named(const std::vector<BlockFile>& entries, const std::wstring& name) {
    for (const BlockFile& entry : entries)
        if (SameBlockName(entry.name, name) || SameBlockName(entry.shortName, name)) return &entry;
    return nullptr;
}

std::vector<std::wstring> ShortNames(const std::vector<BlockFile>& entries) {
    std::vector<std::wstring> names;
    for (const BlockFile& entry : entries)
        names.push_back(entry.shortName);
    return names;
}

// The block folder a new entry is made in, as BlockFile, after fsCreateDir left it open.
BlockFile NewFolder(FileEngine& engine, const BlockFile* parent, const PlacedName& placed) {
    BlockFile folder;
    folder.directory = true;
    folder.name = placed.name;
    folder.path = parent && !parent->path.empty() ? parent->path + L"/" + placed.name : placed.name;
    folder.shortPath = (parent ? parent->shortPath : std::string()) + "\\" + placed.shortName;
    char16_t wide[kPathCapacity];
    Utf16FromWide(placed.name, wide, kPathCapacity);
    folder.widePath = (parent ? parent->widePath : std::u16string()) + u"\\" + wide;
    folder.firstCluster = engine.openFile().firstCluster;
    return folder;
}

int RunGet(const FileOptions& options) {
    OneBlock b;
    int status = b.Open(options.drive, options.block, false, options.codePage);
    if (status != kExitOk) return status;
    std::vector<BlockFile> found(options.paths.size());
    for (size_t i = 0; i < options.paths.size(); ++i) {
        std::wstring failure = Locate(b, options.paths[i], &found[i]);
        if (!failure.empty()) return b.Fail(failure + L" Nothing was copied.");
    }
    BlockManager& m = b.session.blocks;
    if (!options.exist.empty()) m.fileExistMode = options.exist == "rename" ? 1 : 0;
    const std::wstring to = AbsolutePcPath(WideFromUtf8(options.to.empty() ? "." : options.to));
    if (m.pc().CreateDirectoryPath(to) != 0) return b.Fail(L"the folder " + to + L" cannot be made: " + ResultText(-1));
    for (const BlockFile& entry : found) {
        m.lastErrorPath[0] = 0;
        int result = 0;
        if (!entry.directory) {
            result = m.CopyVolumeFile(entry.shortPath, JoinPcPath(to, entry.name));
        } else {
            std::wstring dest = entry.path.empty() ? to : JoinPcPath(to, entry.name);
            if (m.pc().CreateDirectoryPath(dest) != 0) {
                KeepErrorPath(m, dest);
                result = -1;
            } else {
                result = m.CopyVolumeDirectory(entry.shortPath + "\\*", dest,
                                               WideFromUtf16(entry.widePath.c_str(), kPathCapacity) + L"\\*");
            }
            FileInfo info{};
            if (result == 0 && !entry.path.empty() && m.keepFileInfo == 1 &&
                b.session.engine.fsOpen(entry.shortPath.c_str(), nullptr) == FS_IS_DIRECTORY &&
                b.session.engine.fsFileInfo(&info, kInfoRead) == FS_OK)
                m.CarryEntryInfo(dest, info.attribute, info);
        }
        if (result == -1)
            return b.Fail(Quoted(entry.path) + L": the PC file " + std::wstring(m.lastErrorPath) +
                          L" cannot be written: " + ResultText(-1));
        if (result != 0) return b.Fail(Quoted(entry.path) + L": " + OneBlock::StatusWords(result) + L".");
    }
    b.session.CloseDrive();
    return kExitOk;
}

// put: a first pass plans (refusals, room needed), the second makes the changes.
class Putter {
public:
    Putter(OneBlock& b, bool force) : b_(b), m_(b.session.blocks), engine_(b.session.engine), force_(force) {}

    bool planning = true;
    uint64_t clustersNeeded = 0;
    uint64_t clustersFreed = 0;
    int files = 0, folders = 0;
    std::wstring failure;  // a refusal or failure in words

    // One PC entry into the block folder (null: the root); folderIsNew: the folder is made by
    // this put, so it holds nothing yet (planning only).
    bool Put(const std::wstring& pcPath, const PcEntry& entry, const BlockFile* folder, bool folderIsNew) {
        std::vector<BlockFile> entries;
        if (!folderIsNew && !ListFolder(b_, folder, &entries)) return Failed(folder, L"cannot be read");
        const std::wstring name = FatLongName(entry.name);
        const BlockFile* existing = Named(entries, name);
        // Two sources of one name: the second would replace what the first put.
        if (planning && !planned_.insert(Key(folder) + L"/" + Key(name)).second)
            return Refused(pcPath, L"a second file or folder of that name is put into " +
                                       Quoted(folder ? folder->path : L"") + L". Nothing was written.");
        if (entry.IsDirectory()) return PutFolder(pcPath, entry, folder, existing, entries);
        return PutFile(pcPath, entry, folder, existing, entries);
    }

private:
    static std::wstring Key(const BlockFile* folder) { return folder ? Key(folder->path) : std::wstring(); }
    static std::wstring Key(std::wstring text) {
        for (wchar_t& c : text)
            c = static_cast<wchar_t>(std::towupper(c));
        return text;
    }

    uint64_t Clusters(uint64_t bytes) const {
        uint64_t cluster = uint64_t{engine_.volume().sectorsPerCluster} * kSectorSize;
        return (bytes + cluster - 1) / cluster;
    }

    // A name FAT cannot hold goes in under the name it can, with a warning.
    void NoteMended(const std::wstring& pcPath, const PlacedName& placed) {
        if (placed.mended)
            WriteErr(L"block " + BlockNumberText(b_.block) + L": " + pcPath + L" is put in as \"" + placed.name +
                     L"\": a FAT name cannot hold its name.\n");
    }

    bool Failed(const BlockFile* at, const std::wstring& what) {
        failure = Quoted(at ? at->path : std::wstring()) + L" " + what + L".";
        return false;
    }

    bool Refused(const std::wstring& pcPath, const std::wstring& what) {
        failure = pcPath + L": " + what;
        return false;
    }

    static std::string Child(const BlockFile* folder, const std::string& shortName) {
        return (folder ? folder->shortPath : std::string()) + "\\" + shortName;
    }

    bool PutFolder(const std::wstring& pcPath,
                   const PcEntry& entry,
                   const BlockFile* folder,
                   const BlockFile* existing,
                   const std::vector<BlockFile>& entries) {
        if (existing && !existing->directory)
            return Refused(pcPath, L"is a folder, but the block holds a file " + Quoted(existing->path) + L".");
        BlockFile target;
        bool isNew = existing == nullptr;
        if (existing) {
            target = *existing;
        } else if (planning) {
            ++clustersNeeded;
            target.path = (folder && !folder->path.empty() ? folder->path + L"/" : std::wstring()) + entry.name;
        } else {
            PlacedName placed = PlaceName(entry.name, ShortNames(entries), engine_.codePage());
            NoteMended(pcPath, placed);
            SetCreateName(engine_, placed);
            FsStatus status = engine_.fsCreateDir(Child(folder, placed.shortName).c_str());
            if (status != FS_OK) return Refused(pcPath, OneBlock::StatusWords(status) + L".");
            FileInfo info = SavedEntryInfo(entry);
            if ((status = engine_.fsFileInfo(&info, kInfoModify)) != FS_OK)
                return Refused(pcPath, OneBlock::StatusWords(status) + L".");
            target = NewFolder(engine_, folder, placed);
            ++folders;
        }
        std::vector<PcEntry> children;
        if (!m_.pc().ListDirectory(pcPath, &children)) return Refused(pcPath, L"cannot be read: " + ResultText(-1));
        for (const PcEntry& child : children) {
            if (child.special || (child.IsDirectory() && child.name[0] == L'.')) continue;
            if (!Put(JoinPcPath(pcPath, child.pathName), child, &target, planning && isNew)) return false;
        }
        return true;
    }

    bool PutFile(const std::wstring& pcPath,
                 const PcEntry& entry,
                 const BlockFile* folder,
                 const BlockFile* existing,
                 std::vector<BlockFile> entries) {
        if (entry.size > kBlockImageSize) return Refused(pcPath, L"is larger than a floppy disk block.");
        if (existing && existing->directory)
            return Refused(pcPath, L"is a file, but the block holds a folder " + Quoted(existing->path) + L".");
        if (existing && !force_)
            return Refused(pcPath, L"the block holds " + Quoted(existing->path) +
                                       L" already; --force replaces it. Nothing was written.");
        if (planning) {
            clustersNeeded += Clusters(entry.size);
            if (existing) clustersFreed += Clusters(existing->size);
            return true;
        }
        if (existing) {
            FsStatus status = engine_.fsErase(existing->shortPath.c_str());
            if (status != FS_OK) return Refused(pcPath, OneBlock::StatusWords(status) + L".");
            entries.clear();
            if (!ListFolder(b_, folder, &entries)) return Failed(folder, L"cannot be read");
        }
        PcFile file;
        uint64_t size = 0;
        uint32_t done = 0;
        if (!file.Open(pcPath, PcFile::Mode::Read, true) || !file.Size(&size) || size > kBlockImageSize ||
            !file.ReadAt(0, m_.fileBuffer, static_cast<uint32_t>(size), &done) || done != size)
            return Refused(pcPath, L"cannot be read: " + ResultText(-1));
        PlacedName placed = PlaceName(entry.name, ShortNames(entries), engine_.codePage());
        NoteMended(pcPath, placed);
        SetCreateName(engine_, placed);
        FsStatus status = engine_.fsCreate(Child(folder, placed.shortName).c_str(), 0);
        FileInfo info = SavedEntryInfo(entry);
        if (status == FS_OK) status = engine_.fsFileInfo(&info, kInfoModify);
        uint32_t count = done;
        if (status == FS_OK) status = engine_.fsWriteBytes(m_.fileBuffer, &count);
        if (status == FS_OK) status = engine_.fsClose();
        if (status != FS_OK) return Refused(pcPath, OneBlock::StatusWords(status) + L"; nothing was written.");
        ++files;
        return true;
    }

    OneBlock& b_;
    BlockManager& m_;
    FileEngine& engine_;
    bool force_;
    std::set<std::wstring> planned_;
};

int RunPut(const FileOptions& options) {
    OneBlock b;
    int status = b.Open(options.drive, options.block, true, options.codePage);
    if (status != kExitOk) return status;
    if (options.noVerify) b.session.blocks.verifyWrites = 0;
    BlockFile target;
    if (!options.to.empty()) {
        std::wstring failure = Locate(b, options.to, &target);
        if (!failure.empty()) return b.Fail(failure + L" Nothing was written (slotwise-cli mkdir makes a folder).");
        if (!target.directory) return b.Fail(Quoted(target.path) + L" is a file, not a folder. Nothing was written.");
    }
    const BlockFile* folder = target.path.empty() ? nullptr : &target;

    std::vector<std::pair<std::wstring, PcEntry>> sources;
    PcFileSystem& pc = b.session.pc;
    for (const std::string& arg : options.paths) {
        std::wstring parent, name;
        SplitPcPath(AbsolutePcPath(WideFromUtf8(arg)), &parent, &name);
        PcEntry entry;
        if (!pc.FindEntry(parent, name, &entry) || entry.special)
            return b.Fail(L"there is no file or folder " + WideFromUtf8(arg) + L" to put in it. Nothing was written.");
        sources.push_back({JoinPcPath(parent, entry.pathName), entry});
    }

    Putter putter(b, options.force);
    for (const auto& source : sources)
        if (!putter.Put(source.first, source.second, folder, false)) return b.Fail(putter.failure);
    DiskInfo disk{};
    FsStatus query = b.session.engine.fsDiskQuery(&disk);
    if (query != FS_OK) return b.Fail(OneBlock::StatusWords(query) + L".");
    const uint64_t clusterBytes = uint64_t{b.session.engine.volume().sectorsPerCluster} * kSectorSize;
    const uint64_t freeClusters = disk.freeSectors / b.session.engine.volume().sectorsPerCluster + putter.clustersFreed;
    if (putter.clustersNeeded > freeClusters)
        return b.Fail(L"what is put needs " + std::to_wstring(putter.clustersNeeded * clusterBytes) +
                      L" bytes of room, the block has " + std::to_wstring(freeClusters * clusterBytes) +
                      L" bytes free. Nothing was written (slotwise-cli rm makes room).");

    putter.planning = false;
    for (const auto& source : sources)
        if (!putter.Put(source.first, source.second, folder, false)) return b.Fail(putter.failure);
    return b.Commit(Counted(putter.files, L"file") + L" and " + Counted(putter.folders, L"folder") + L" put");
}

int RunRm(const FileOptions& options) {
    OneBlock b;
    int status = b.Open(options.drive, options.block, true, options.codePage);
    if (status != kExitOk) return status;
    if (options.noVerify) b.session.blocks.verifyWrites = 0;
    std::vector<BlockFile> found(options.paths.size());
    for (size_t i = 0; i < options.paths.size(); ++i) {
        std::wstring failure = Locate(b, options.paths[i], &found[i]);
        if (!failure.empty()) return b.Fail(failure + L" Nothing was removed.");
        if (found[i].path.empty()) return b.Fail(L"the root folder cannot be removed. Nothing was removed.");
        if (found[i].directory && !options.recursive)
            return b.Fail(Quoted(found[i].path) +
                          L" is a folder; -r removes it with everything in it. Nothing was removed.");
    }
    FileEngine& engine = b.session.engine;
    int files = 0, folders = 0;
    for (const BlockFile& top : found) {
        std::vector<BlockFile> below;
        std::vector<std::wstring> problems;
        if (top.directory) {
            int walked = WalkBlockFiles(engine, &below, &problems, &top);
            if (walked != 0 || !problems.empty())
                return b.Fail(Quoted(top.path) + L": " + OneBlock::StatusWords(FS_END_OF_CHAIN) +
                              L". Nothing was removed.");
        }
        below.insert(below.begin(), top);
        // Deepest first: a folder is empty when its entry goes.
        for (auto it = below.rbegin(); it != below.rend(); ++it) {
            FsStatus erased =
                it->directory ? engine.fsEraseDirectory(it->shortPath.c_str()) : engine.fsErase(it->shortPath.c_str());
            if (erased != FS_OK)
                return b.Fail(Quoted(it->path) + L": " + OneBlock::StatusWords(erased) + L". Nothing was removed.");
            ++(it->directory ? folders : files);
        }
    }
    return b.Commit(Counted(files, L"file") + L" and " + Counted(folders, L"folder") + L" removed");
}

int RunMkdir(const FileOptions& options) {
    OneBlock b;
    int status = b.Open(options.drive, options.block, true, options.codePage);
    if (status != kExitOk) return status;
    if (options.noVerify) b.session.blocks.verifyWrites = 0;
    const std::wstring path = WideFromUtf8(options.paths.front());
    std::vector<std::wstring> levels = BlockPathLevels(path);
    if (levels.empty()) return b.Fail(L"the root folder is there already.");
    FileEngine& engine = b.session.engine;
    BlockFile folder;
    bool atRoot = true;
    int made = 0;
    LocalTime now = CurrentLocalTime();
    for (size_t i = 0; i < levels.size(); ++i) {
        const bool last = i + 1 == levels.size();
        std::vector<BlockFile> entries;
        if (!ListFolder(b, atRoot ? nullptr : &folder, &entries))
            return b.Fail(Quoted(folder.path) + L" cannot be read. Nothing was made.");
        if (const BlockFile* existing = Named(entries, FatLongName(levels[i]))) {
            if (!existing->directory) return b.Fail(Quoted(existing->path) + L" is a file. Nothing was made.");
            if (last && !options.parents) return b.Fail(Quoted(existing->path) + L" is there already.");
            folder = *existing;
            atRoot = false;
            continue;
        }
        if (!last && !options.parents)
            return b.Fail(L"no folder " + Quoted(levels[i]) + L" in " + Quoted(atRoot ? L"" : folder.path) +
                          L"; -p makes it too. Nothing was made.");
        PlacedName placed = PlaceName(levels[i], ShortNames(entries), engine.codePage());
        SetCreateName(engine, placed);
        std::string shortPath = (atRoot ? std::string() : folder.shortPath) + "\\" + placed.shortName;
        FsStatus created = engine.fsCreateDir(shortPath.c_str());
        FileInfo info{0xFFFFFFFF,     DosDateOf(now), DosTimeOf(now), DosDateOf(now),
                      DosTimeOf(now), DosDateOf(now), 0xFFFF,         kAttrDirectory};
        if (created == FS_OK) created = engine.fsFileInfo(&info, kInfoModify);
        if (created != FS_OK)
            return b.Fail(Quoted(path) + L": " + OneBlock::StatusWords(created) + L". Nothing was made.");
        folder = NewFolder(engine, atRoot ? nullptr : &folder, placed);
        atRoot = false;
        ++made;
    }
    return b.Commit(Counted(made, L"folder") + L" made");
}

CLI::App* AddFileCommand(CLI::App& app,
                         const char* name,
                         const char* help,
                         std::shared_ptr<FileOptions> options,
                         int (*run)(const FileOptions&),
                         int* exitCode) {
    CLI::App* cmd = app.add_subcommand(name, help);
    AddDriveArgument(cmd, &options->drive);
    cmd->add_option("BLOCK", options->block, kBlockHelp)->required();
    AddCodePageOption(cmd, &options->codePage);
    cmd->callback([options, run, exitCode] { *exitCode = run(*options); });
    return cmd;
}
void AddNoVerify(CLI::App* cmd, FileOptions* options) {
    cmd->add_flag("--no-verify", options->noVerify, "Do not read the written sectors back to compare them.");
}
}  // namespace

void AddFileCommands(CLI::App& app, int* exitCode) {
    auto get = std::make_shared<FileOptions>();
    CLI::App* cmd = AddFileCommand(app, "get",
                                   "Copy files or folders out of a block into a PC folder, with their attributes "
                                   "and times as open keeps them.",
                                   get, RunGet, exitCode);
    cmd->add_option("PATH", get->paths, "Files or folders in the block, by long or 8.3 names; / is the whole block.")
        ->required();
    cmd->add_option("--to", get->to, "The PC folder to copy into (made if missing); the current folder by default.");
    cmd->add_option("--exist", get->exist, "What to do with a PC file that exists already (this run only).")
        ->check(CLI::IsMember({"overwrite", "rename"}));

    auto put = std::make_shared<FileOptions>();
    cmd = AddFileCommand(app, "put",
                         "Copy PC files or folders into a block in place, keeping everything else in it. Only the "
                         "sectors that change are written, and read back.",
                         put, RunPut, exitCode);
    cmd->add_option("FILE_OR_DIR", put->paths, "PC files or folders.")->required();
    cmd->add_option("--to", put->to, "The folder in the block to copy into; its root by default.");
    cmd->add_flag("--force", put->force, "Replace files the block holds already.");
    AddNoVerify(cmd, put.get());

    auto rm = std::make_shared<FileOptions>();
    cmd = AddFileCommand(app, "rm", "Remove files or folders from a block in place.", rm, RunRm, exitCode);
    cmd->add_option("PATH", rm->paths, "Files or folders in the block.")->required();
    cmd->add_flag("-r,--recursive", rm->recursive, "Remove folders with everything in them.");
    AddNoVerify(cmd, rm.get());

    auto mkdir = std::make_shared<FileOptions>();
    cmd = AddFileCommand(app, "mkdir", "Make a folder in a block in place.", mkdir, RunMkdir, exitCode);
    cmd->add_option("PATH", mkdir->paths, "The new folder.")->required()->expected(1);
    cmd->add_flag("-p,--parents", mkdir->parents, "Make missing folders above it too; no failure if it exists.");
    AddNoVerify(cmd, mkdir.get());
}

#include "oracle/oracle_commands.h"

#include <cstring>
#include <filesystem>
#include <memory>

#include "disk/sector_access.h"
#include "disk/wide_path.h"
#include "fatfs/file_engine.h"
#include "oracle/tool_volumes.h"
#include "support/fat_tools.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace fs = std::filesystem;

namespace {

// One entry as a reader shows it: "Sub Dir/x.txt 21 2021-06-15 10:20 A", keyed by its short path
// ("\SUBDIR~1\X.TXT"), which every reader agrees on even where the long names differ.
using View = std::map<std::string, std::string>;

// A directory shows without size and time (the tools give their own directories the time of the
// copy); attribute letters in one order.
std::string Shown(const std::string& path, uint64_t size, const std::string& time, const std::string& letters) {
    std::string canonical;
    for (char c : std::string("RHSA"))
        canonical += letters.find(c) != std::string::npos ? std::string(1, c) : "";
    std::string printable;  // control characters (C1 ones arrive as C2 80..9F) as %XX
    for (size_t i = 0; i < path.size(); ++i) {
        bool c1 = path[i] == '\xC2' && i + 1 < path.size() && static_cast<unsigned char>(path[i + 1]) < 0xA0;
        unsigned char c = static_cast<unsigned char>(c1 ? path[++i] : path[i]);
        printable += c < 0x20 || c1 ? "%" + std::to_string(c / 16) + "0123456789ABCDEF"[c % 16] : std::string(1, c);
    }
    if (letters.find('D') != std::string::npos) return printable + " directory";
    return printable + " " + std::to_string(size) + " " + time + (canonical.empty() ? "" : " " + canonical);
}

// A short path with every character beyond ASCII as '?': the engine gives the stored bytes, the
// tools characters of their code page in UTF-8.
std::string Key(const std::string& path, bool utf8) {
    std::string key;
    for (unsigned char c : path)
        key += c < 0x80 ? std::string(1, static_cast<char>(c)) : utf8 && c < 0xC0 ? "" : "?";
    return key;
}

void Lines(const std::string& text, std::vector<std::string>* out) {
    for (size_t at = 0, end; at < text.size(); at = end + 1)
        out->push_back(text.substr(at, (end = std::min(text.find('\n', at), text.size())) - at));
}

std::string Utf8(const std::u16string& text) {
    return Utf8FromWide(std::wstring(text.begin(), text.end()));
}

// Walks every directory by pattern enumeration, as the copies do; files are read whole, and kept
// by their short paths.
void WalkEngine(FileEngine& engine,
                const std::string& dir,
                const std::u16string& wideDir,
                const std::string& shownDir,
                View* view,
                Tree* files) {
    for (uint32_t index = 0; index < 1000; ++index) {
        engine.SetEnumerationIndex(index);
        std::u16string widePattern = wideDir + u"\\*";
        FsStatus status = engine.fsOpen((dir + "\\*").c_str(), widePattern.c_str());
        if (status != FS_OK && status != FS_IS_DIRECTORY) return;
        std::string shortPath = engine.commandPath();
        std::u16string widePath = engine.foundLongName();
        std::string name = Utf8(widePath.substr(widePath.rfind(u'\\') + 1));
        FileInfo info{};
        engine.fsFileInfo(&info, kInfoRead);
        if (name == "." || name == ".." || (info.attribute & 0x08)) continue;
        std::string path = shownDir.empty() ? name : shownDir + "/" + name;
        char time[32];
        std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d", 1980 + (info.writeDate >> 9),
                      info.writeDate >> 5 & 15, info.writeDate & 31, info.writeTime >> 11, info.writeTime >> 5 & 63);
        std::string letters;
        for (auto [bit, letter] : {std::pair{0x10, 'D'}, {0x01, 'R'}, {0x02, 'H'}, {0x04, 'S'}, {0x20, 'A'}})
            letters += (info.attribute & bit) ? std::string(1, letter) : "";
        (*view)[Key(shortPath, false)] = Shown(path, info.size, time, letters);
        if (status == FS_IS_DIRECTORY) {
            WalkEngine(engine, shortPath, widePath, path, view, files);
            continue;
        }
        std::string bytes(info.size + 1, '\0');
        uint32_t count = info.size + 1;
        engine.fsReadBytes(&bytes[0], &count);
        bytes.resize(count);
        (*files)[Key(shortPath, false)] = TreeNode{false, bytes};
    }
}

class Oracle {
public:
    explicit Oracle(const std::string& folder)
        : image_(folder + "/volume.img"), host_(folder + "/host"), out_(folder + "/mcopy") {
        fs::create_directories(host_);
    }

    bool Run(const std::vector<std::string>& w, ScriptVolume& volume, std::vector<std::string>* out) {
        if (w[0] == "tool") {
            std::string command;
            for (size_t i = 1; i < w.size(); ++i)
                command += " " + (w[i] == "IMG" ? ShellQuote(image_) : Hosted(w[i]));
            ToolResult result = RunTool(command);
            if (result.exitCode != 0) Lines("exit " + std::to_string(result.exitCode) + ": " + result.output, out);
        } else if (w[0] == "host") {  // with the corpus's time, for mcopy -m
            Tree file;
            AddFile(&file, w[1], TestBytes(std::stoul(w[2]), ++seed_));
            fs::create_directories(fs::path(host_ + "/" + w[1]).parent_path());
            WriteHostTree(host_, file, kCorpusMtime);
        } else if (w[0] == "corpus") {
            if (!CopyTreeIn(ToolCorpus(std::stoul(w[1])), host_ + "/corpus", image_)) out->push_back("mcopy failed");
        } else if (w[0] == "load") {
            std::string bytes = ReadWholeFile(image_);
            imageBytes_ = std::min<size_t>(bytes.size(), kBlockImageSize);
            std::memset(volume.slot, 0, kBlockImageSize);
            std::memcpy(volume.slot, bytes.data(), imageBytes_);
        } else if (w[0] == "judge") {
            WriteWholeFile(image_, std::string(reinterpret_cast<const char*>(volume.slot), imageBytes_));
            Judge(volume, out);
        } else {
            return false;
        }
        return true;
    }

private:
    // HOST/x: x in the host folder, a trailing * left to the shell; any other word quoted.
    std::string Hosted(const std::string& word) {
        bool glob = word.size() > 1 && word.back() == '*';
        std::string path = word.rfind("HOST", 0) == 0 ? host_ + word.substr(4) : word;
        return glob ? ShellQuote(path.substr(0, path.size() - 1)) + "*" : ShellQuote(path);
    }

    void Judge(ScriptVolume& volume, std::vector<std::string>* out) {
        FsckReport fsck = RunFsck(image_);
        if (!FsckClean(fsck)) return Lines("fsck: " + fsck.output, out);
        out->push_back("fsck: " + std::to_string(fsck.files) + " files, " + std::to_string(fsck.usedClusters) + " of " +
                       std::to_string(fsck.totalClusters) + " clusters used");
        // mdir and mattrib; the short path of every directory mdir names by its long path.
        View mdir, sevenZip, engine;
        std::map<std::string, std::string> shortOf = {{"", ""}}, shownOf;
        MdirListing listing = RunMdir(image_);
        std::map<std::string, std::string> flags = RunMattrib(image_);
        for (const auto& [dir, entries] : listing.directories) {
            for (const MdirEntry& e : entries) {
                std::string name = e.longName.empty() ? e.name + (e.ext.empty() ? "" : "." + e.ext) : e.longName;
                std::string path = dir.empty() ? name : dir + "/" + name;
                if (name == "." || name == "..") continue;
                shortOf[path] = shortOf[dir] + "\\" + Key(MdirShortName(e), true);
                shownOf[shortOf[path]] = path;
                std::string time = (e.time.size() < 5 ? "0" : "") + e.time;
                mdir[shortOf[path]] = Shown(path, e.size, e.date + " " + time, e.directory ? "D" : flags[path]);
            }
        }
        std::string said;
        for (const SevenZipEntry& e : Run7zList(image_, &said)) {
            std::string key = shortOf.count(e.path) ? shortOf[e.path] : "? " + e.path;
            sevenZip[key] = Shown(e.path, e.size, e.modified.substr(0, 16), e.attributes);
        }
        if (sevenZip.empty()) Lines("7z: " + said, out);
        Tree engineFiles, engineByMdirPath;
        WalkEngine(volume.engine, "", u"", "", &engine, &engineFiles);
        // Each entry as each reader shows it, where they differ.
        std::map<std::string, int> keys;
        for (const View* view : {&engine, &mdir, &sevenZip})
            for (const auto& entry : *view)
                keys[entry.first]++;
        int agreed = 0;
        for (const auto& keySeen : keys) {
            const std::string& key = keySeen.first;  // a lambda cannot capture a structured binding
            auto at = [&](const View& view) { return view.count(key) ? view.at(key) : std::string("-"); };
            if (keySeen.second == 3 && at(engine) == at(mdir) && at(mdir) == at(sevenZip))
                ++agreed;
            else
                out->push_back("differ " + key + ": engine " + at(engine) + " | mdir " + at(mdir) + " | 7z " +
                               at(sevenZip));
        }
        // Names given to a create show as given.
        for (const auto& [path, longName] : volume.longNames) {
            std::string shown = shownOf.count(path) ? shownOf[path] : "-";
            std::string given = longName.empty() ? path.substr(path.rfind('\\') + 1) : longName;
            if (shown.substr(shown.rfind('/') + 1) != given) out->push_back("named " + given + ": shown as " + shown);
        }
        // The bytes of every file, as mcopy reads them.
        fs::remove_all(out_);
        fs::create_directories(out_);
        RunTool("mcopy -s -n -i " + ShellQuote(image_) + " ::/ " + ShellQuote(out_));
        for (const auto& [key, node] : engineFiles)
            engineByMdirPath[shownOf.count(key) ? shownOf[key] : key] = node;
        Tree copied;
        for (const auto& [path, node] : ReadHostTree(out_))
            if (!node.directory) copied[path] = node;
        std::string differences = TreeDifferences(copied, engineByMdirPath);
        out->push_back(std::to_string(agreed) + " entries alike in the engine, mdir and 7z" +
                       (differences.empty() ? "; mcopy reads the same bytes" : "; bytes as mcopy reads them:"));
        Lines(differences, out);
    }

    std::string image_, host_, out_;
    size_t imageBytes_ = 0;
    unsigned seed_ = 0;
};

}  // namespace

ScriptCommands OracleCommands(const std::string& folder) {
    auto oracle = std::make_shared<Oracle>(folder);
    return [oracle](const std::vector<std::string>& w, ScriptVolume& volume, std::vector<std::string>* out) {
        return oracle->Run(w, volume, out);
    };
}

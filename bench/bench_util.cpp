#include "bench/bench_util.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

double BestOf(int rounds, const std::function<void()>& prepare, const std::function<void()>& timed) {
    double best = 0;
    for (int i = 0; i < rounds; ++i) {
        if (prepare) prepare();
        auto start = std::chrono::steady_clock::now();
        timed();
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (i == 0 || seconds < best) best = seconds;
    }
    return best;
}

namespace {

std::string CorpusBytes(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = static_cast<char>(x);
    }
    return bytes;
}

}  // namespace

Corpus MakeFloppyCorpus() {
    Corpus corpus;
    uint32_t seed = 1;
    auto add = [&](const CorpusEntry* parent, const std::string& shortName, const std::string& longName, bool directory,
                   size_t size) {
        CorpusEntry entry;
        entry.hostPath = (parent ? parent->hostPath + "/" : "") + (longName.empty() ? shortName : longName);
        entry.shortPath = (parent ? parent->shortPath : "") + "\\" + shortName;
        entry.longName = longName;
        entry.directory = directory;
        if (directory) {
            ++corpus.folders;
        } else {
            entry.bytes = CorpusBytes(size, seed++);
            ++corpus.files;
            corpus.fileBytes += size;
        }
        corpus.entries.push_back(entry);
        return corpus.entries.size() - 1;
    };

    // 8 folders, each with a nested folder, every other nested folder with one more level: 20
    // folders sharing 200 small files of 200 to about 5,000 bytes.
    std::vector<size_t> folders;
    char shortName[16];
    char longName[64];
    for (int f = 1; f <= 8; ++f) {
        std::snprintf(shortName, sizeof shortName, "FOLDE~%02d", f);
        std::snprintf(longName, sizeof longName, "Folder %02d Of The Corpus", f);
        size_t top = add(nullptr, shortName, longName, true, 0);
        folders.push_back(top);
        size_t nested = add(&corpus.entries[top], "NESTED~1", "Nested Folder Inside", true, 0);
        folders.push_back(nested);
        if (f % 2 == 0) folders.push_back(add(&corpus.entries[nested], "DEEPER~1", "Deeper Level Folder", true, 0));
    }
    for (int i = 0; i < 200; ++i) {
        size_t folder = folders[static_cast<size_t>(i) % folders.size()];
        std::snprintf(shortName, sizeof shortName, "DOC~%03d.TXT", i + 1);
        std::snprintf(longName, sizeof longName, "Document %03d With A Long Name.txt", i + 1);
        size_t size = 200 + (static_cast<size_t>(i) * 2477) % 4800;
        CorpusEntry parent = corpus.entries[folder];
        add(&parent, shortName, longName, false, size);
    }
    const size_t large[3] = {280000, 240000, 200000};
    const char* const largeNames[3] = {"Large Archive One.bin", "Large Archive Two.bin", "Large Archive Three.bin"};
    for (int i = 0; i < 3; ++i) {
        std::snprintf(shortName, sizeof shortName, "LARGEA~%d.BIN", i + 1);
        add(nullptr, shortName, largeNames[i], false, large[i]);
    }
    return corpus;
}

void WriteCorpus(const Corpus& corpus, const std::string& root) {
    for (const CorpusEntry& entry : corpus.entries) {
        std::string path = root + "/" + entry.hostPath;
        if (entry.directory)
            fs::create_directories(path);
        else
            WriteFileBytes(path, entry.bytes);
    }
}

bool TreeHoldsCorpus(const std::string& root, const Corpus& corpus, std::string* why) {
    std::map<std::string, const CorpusEntry*> expected;
    for (const CorpusEntry& entry : corpus.entries)
        expected[entry.hostPath] = &entry;
    size_t seen = 0;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        std::string path = fs::relative(item.path(), root).generic_string();
        auto it = expected.find(path);
        if (it == expected.end()) {
            *why = "unexpected " + path;
            return false;
        }
        if (it->second->directory != item.is_directory() ||
            (!item.is_directory() && ReadFileBytes(item.path().string()) != it->second->bytes)) {
            *why = "differs: " + path;
            return false;
        }
        ++seen;
    }
    if (seen != expected.size()) {
        *why = std::to_string(expected.size() - seen) + " entries missing";
        return false;
    }
    return true;
}

ScratchDir::ScratchDir(bool onDisk) {
    // Memory-backed when the system has it, so that PC file I/O weighs the same on every run.
    std::error_code ec;
    fs::path base = !onDisk && fs::is_directory("/dev/shm", ec) && access("/dev/shm", W_OK) == 0
                        ? fs::path("/dev/shm")
                        : fs::temp_directory_path();
    std::string pattern = (base / "slotwise-bench-XXXXXX").string();
    if (mkdtemp(&pattern[0])) path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
}

std::string FindProgram(const std::string& name) {
    std::string dirs = std::getenv("PATH") ? std::getenv("PATH") : "";
    dirs += ":/usr/sbin:/sbin";
    std::istringstream in(dirs);
    std::string dir;
    while (std::getline(in, dir, ':')) {
        std::string candidate = dir + "/" + name;
        if (!dir.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

int RunCommand(const std::string& commandLine) {
    std::string full = "MTOOLS_SKIP_CHECK=1 " + commandLine + " </dev/null >/dev/null 2>&1";
    int status = std::system(full.c_str());
    if (status == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string FormatSeconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f ms", seconds * 1000);
    return text;
}

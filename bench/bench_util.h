// Helpers shared by the benchmarks of the bench program: timing, a generated corpus of PC files
// with the 8.3 names they get on a floppy, scratch folders and external commands.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Wall-clock seconds of the fastest of `rounds` runs of `timed`; `prepare` runs, untimed,
// before each of them.
double BestOf(int rounds, const std::function<void()>& prepare, const std::function<void()>& timed);

// One file or folder of a corpus, with its place on the PC and on the floppy.
struct CorpusEntry {
    std::string hostPath;   // relative, '/'-separated long names: "Folder 01 Of The Corpus/Report 001.txt"
    std::string shortPath;  // upper-case 8.3 path on the floppy: "\\FOLDE~01\\DOC~001.TXT"
    std::string longName;   // the last level's long name, "" when the 8.3 name is the name
    bool directory = false;
    std::string bytes;
};

struct Corpus {
    std::vector<CorpusEntry> entries;  // every folder before what it holds
    size_t files = 0;
    size_t folders = 0;
    uint64_t fileBytes = 0;
};

// About 200 small files in nested folders with long names and 3 large files, together filling
// most of a 1.44M volume. The same every run.
Corpus MakeFloppyCorpus();

// Creates the corpus below root.
void WriteCorpus(const Corpus& corpus, const std::string& root);

// True when the tree below `root` holds exactly the corpus (names and bytes).
bool TreeHoldsCorpus(const std::string& root, const Corpus& corpus, std::string* why);

// A folder of its own in memory (/dev/shm) where there is one, else below the system's temporary
// folder; removed with its contents. onDisk always takes the temporary folder, for figures that
// must include writing to a disk.
class ScratchDir {
public:
    explicit ScratchDir(bool onDisk = false);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Full path of an installed program (PATH, then /usr/sbin and /sbin); "" when there is none.
std::string FindProgram(const std::string& name);

// Quotes one argument for /bin/sh.
std::string ShellQuote(const std::string& text);

// Runs a shell command line with its output discarded; its exit status, -1 when it did not run.
int RunCommand(const std::string& commandLine);

// Whole-file helpers.
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// "1.234 ms" style text for a time in seconds.
std::string FormatSeconds(double seconds);

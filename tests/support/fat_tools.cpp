#include "support/fat_tools.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>

namespace {

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

uint64_t DigitsOf(const std::string& text) {
    uint64_t value = 0;
    for (char c : text)
        if (c >= '0' && c <= '9') value = value * 10 + static_cast<uint64_t>(c - '0');
    return value;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

}  // namespace

std::string FindTool(const std::string& name) {
    std::string dirs = getenv("PATH") ? getenv("PATH") : "";
    dirs += ":/usr/sbin:/sbin";
    std::istringstream in(dirs);
    std::string dir;
    while (std::getline(in, dir, ':')) {
        if (dir.empty()) continue;
        std::string candidate = dir + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

bool FatToolsPresent() {
    for (const char* tool : {"mkfs.fat", "fsck.fat", "mformat", "mcopy", "mdir", "mmd", "mattrib", "mdel"})
        if (FindTool(tool).empty()) return false;
    return true;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

ToolResult RunTool(const std::string& commandLine) {
    ToolResult result;
    std::string full =
        "PATH=\"$PATH:/usr/sbin:/sbin\" MTOOLS_SKIP_CHECK=1 TZ=UTC LC_ALL=C.UTF-8 " + commandLine + " </dev/null 2>&1";
    FILE* pipe = popen(full.c_str(), "r");
    if (!pipe) return result;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        result.output.append(chunk, got);
    int status = pclose(pipe);
    if (status != -1 && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

FsckReport RunFsck(const std::string& imagePath) {
    ToolResult run = RunTool("fsck.fat -n " + ShellQuote(imagePath));
    FsckReport report;
    report.exitCode = run.exitCode;
    report.output = run.output;
    // A clean check prints exactly two lines: "fsck.fat 4.2 (...)" and "<image>: N files, U/T clusters".
    static const std::regex summary(R"(^.*: ([0-9]+) files, ([0-9]+)/([0-9]+) clusters$)");
    bool sawSummary = false;
    bool sawOther = false;
    for (const std::string& line : Lines(run.output)) {
        std::smatch m;
        if (line.rfind("fsck.fat ", 0) == 0) continue;
        if (std::regex_match(line, m, summary)) {
            sawSummary = true;
            report.files = static_cast<uint32_t>(DigitsOf(m[1]));
            report.usedClusters = static_cast<uint32_t>(DigitsOf(m[2]));
            report.totalClusters = static_cast<uint32_t>(DigitsOf(m[3]));
            continue;
        }
        sawOther = true;
    }
    report.onlySummary = sawSummary && !sawOther;
    return report;
}

const MdirEntry* MdirListing::Find(const std::string& dir, const std::string& name) const {
    auto it = directories.find(dir);
    if (it == directories.end()) return nullptr;
    for (const MdirEntry& entry : it->second) {
        std::string upper = name;
        for (char& c : upper)
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        if (entry.longName == name || MdirShortName(entry) == upper) return &entry;
    }
    return nullptr;
}

MdirListing RunMdir(const std::string& imagePath) {
    ToolResult run = RunTool("mdir -/ -a -i " + ShellQuote(imagePath) + " ::/");
    MdirListing listing;
    listing.exitCode = run.exitCode;
    listing.output = run.output;
    static const std::regex entryLine(
        R"(^([^ ]+) +([^ ]{1,3})? +(<DIR>|[0-9]+) +([0-9]{4}-[0-9]{2}-[0-9]{2}) +([0-9]{1,2}:[0-9]{2}) ?(.*)$)");
    std::string dir;
    bool inDirectory = false;
    for (const std::string& line : Lines(run.output)) {
        std::smatch m;
        if (line.rfind("Directory for ::/", 0) == 0) {
            dir = line.substr(17);
            if (!dir.empty() && dir.back() == '/') dir.pop_back();
            listing.directories[dir];
            inDirectory = true;
        } else if (line.find("bytes free") != std::string::npos) {
            listing.bytesFree = DigitsOf(line);
        } else if (inDirectory && std::regex_match(line, m, entryLine)) {
            MdirEntry entry;
            entry.name = Trim(m[1]);
            entry.ext = Trim(m[2]);
            entry.directory = m[3] == "<DIR>";
            entry.size = entry.directory ? 0 : DigitsOf(m[3]);
            entry.date = m[4];
            entry.time = m[5];
            std::string rest = m[6];
            if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
            entry.longName = rest;
            listing.directories[dir].push_back(entry);
        }
    }
    return listing;
}

uint64_t MdirBytesFree(const std::string& imagePath) {
    ToolResult run = RunTool("mdir -a -i " + ShellQuote(imagePath) + " ::/");
    if (run.exitCode != 0) return 0;
    for (const std::string& line : Lines(run.output))
        if (line.find("bytes free") != std::string::npos) return DigitsOf(line);
    return 0;
}

std::map<std::string, std::string> RunMattrib(const std::string& imagePath) {
    ToolResult run = RunTool("mattrib -/ -i " + ShellQuote(imagePath) + " ::/");
    std::map<std::string, std::string> flags;
    for (const std::string& line : Lines(run.output)) {
        size_t at = line.find("::/");
        if (at == std::string::npos) continue;
        std::string letters;
        for (size_t i = 0; i < at; ++i)
            if (line[i] != ' ') letters += line[i];
        flags[line.substr(at + 3)] = letters;
    }
    return flags;
}

std::string MdirShortName(const MdirEntry& entry) {
    std::string text;
    for (char c : entry.name)
        text += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    if (!entry.ext.empty()) {
        text += '.';
        for (char c : entry.ext)
            text += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
    return text;
}

bool CutSlot(const std::string& drive, uint32_t block, uint32_t sectors, const std::string& out) {
    std::ostringstream command;
    command << "dd if=" << ShellQuote(drive) << " of=" << ShellQuote(out) << " bs=512 skip=" << block * 3072ull
            << " count=" << sectors << " status=none";
    return RunTool(command.str()).exitCode == 0;
}

ToolResult MdirAt(const std::string& drive, uint32_t block) {
    std::ostringstream command;
    command << "mdir -a -i " << ShellQuote(drive + "@@" + std::to_string(block * 3072ull * 512)) << " ::/";
    return RunTool(command.str());
}

std::vector<SevenZipEntry> Run7zList(const std::string& imagePath, std::string* output) {
    ToolResult run = RunTool("7z l -slt " + ShellQuote(imagePath));
    *output = run.output;
    std::vector<SevenZipEntry> entries;
    bool listing = false;  // the archive's own block comes before the line of dashes
    for (const std::string& line : Lines(run.output)) {
        size_t equals = line.find(" = ");
        std::string key = line.substr(0, equals), value = equals == std::string::npos ? "" : line.substr(equals + 3);
        if (line.rfind("----------", 0) == 0) listing = true;
        if (!listing || equals == std::string::npos) continue;
        if (key == "Path") entries.emplace_back().path = value;
        if (entries.empty()) continue;
        if (key == "Folder") entries.back().directory = value == "+";
        if (key == "Size") entries.back().size = DigitsOf(value);
        if (key == "Modified") entries.back().modified = value;
        if (key == "Attributes") entries.back().attributes = value;
    }
    return run.exitCode == 0 ? entries : std::vector<SevenZipEntry>{};
}

// A scratch directory for one test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    std::wstring WFile(const std::string& name) const;

private:
    std::string path_;
};

// Whole-file helpers for test data.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);

// A wide path (WFile) for std::filesystem, without the library's conversion through the locale,
// which throws for names it cannot convert under the C locale.
std::filesystem::path FsPath(const std::wstring& path);

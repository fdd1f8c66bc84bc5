// A scratch volume for the disk service to open: under Wine, a drive letter whose dosdevices entry
// with two colons points at an image file opens as a raw volume ("\\.\L:"). The image lives in a
// TempDir; the letter is taken for the life of the object.
#pragma once

#include <cstdint>
#include <string>

#include "support/temp_dir.h"

// True when the tests run under Wine.
bool RunningUnderWine();

class ScratchVolume {
public:
    // An image of `bytes` bytes, zero apart from a marker at its start.
    explicit ScratchVolume(uint32_t bytes);
    ~ScratchVolume();
    ScratchVolume(const ScratchVolume&) = delete;
    ScratchVolume& operator=(const ScratchVolume&) = delete;

    bool ok() const { return letter_ != 0; }
    const std::string& failure() const { return failure_; }         // why not ok
    const std::wstring& devicePath() const { return devicePath_; }  // "\\.\L:"
    std::string imageFile() const { return dir_.File("volume.img"); }
    const std::string& marker() const { return marker_; }

private:
    TempDir dir_;
    std::string marker_;
    std::string unixLink_;
    std::wstring devicePath_;
    wchar_t letter_ = 0;
    std::string failure_;
};

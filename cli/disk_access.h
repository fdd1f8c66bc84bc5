// Raw access to USB sticks for one run of the tool, set up as the window sets it up at start-up:
// on Windows the environment facts (Windows version, WOW64, Administrators group) choose the
// direct route or the disk service, and the service is connected for the run. Nothing to do
// elsewhere, where sticks are block devices opened as files.
#pragma once

class DiskAccess {
public:
    DiskAccess();
    ~DiskAccess();
    DiskAccess(const DiskAccess&) = delete;
    DiskAccess& operator=(const DiskAccess&) = delete;

private:
    bool connected_ = false;
};

// A file on the PC, opened directly (never through the disk service): image files, copied
// files and image-backed drives. Every failing call stores the OS error as the last system
// error and returns false.
#pragma once

#include <cstdint>
#include <string>

class PcFile {
public:
    enum class Mode {
        Read,          // existing file, read only
        ReadWrite,     // existing file, read and write
        CreateAlways,  // new or truncated file, read and write
        CreateNew,     // new file only; fails when it exists
    };

    PcFile() = default;
    ~PcFile();
    PcFile(const PcFile&) = delete;
    PcFile& operator=(const PcFile&) = delete;

    // exclusive: no other opener may share the file (on Linux block devices, O_EXCL, which
    // the kernel refuses while the device is mounted).
    bool Open(const std::wstring& path, Mode mode, bool exclusive = false);
    bool IsOpen() const;
    bool Size(uint64_t* size) const;
    // Transfers up to `bytes` at `offset`; `done` receives the count actually moved.
    bool ReadAt(uint64_t offset, void* buffer, uint32_t bytes, uint32_t* done);
    bool WriteAt(uint64_t offset, const void* buffer, uint32_t bytes, uint32_t* done);
    bool SetSize(uint64_t size);
    bool Flush();
    // Flushes the file's data and drops the system's cached copy of the range, so that the next
    // read of it comes from the disk or device.
    bool SyncAndDropCache(uint64_t offset, uint64_t bytes);
    bool Close();

private:
#ifdef _WIN32
    void* handle_ = reinterpret_cast<void*>(static_cast<intptr_t>(-1));
#else
    int fd_ = -1;
#endif
};

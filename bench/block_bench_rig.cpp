// The drive image rig of the block benchmarks.
#include "bench/block_bench_rig.h"

#include <filesystem>
#include <fstream>
#include <memory>

#include "blocks/drive_format.h"
#include "disk/image_drive.h"
#include "disk/wide_path.h"

namespace {

// The whole-drive format's host for the rig's drive image.
class ImageFormatHost : public DriveFormatHost {
public:
    ImageFormatHost(BlockRig& rig, const std::string& path) : rig_(rig), path_(path) {}
    bool OpenDrive() override { return rig_.Attach(path_); }
    void CloseDrive() override { rig_.Close(); }
    uint32_t LastSector() override { return static_cast<uint32_t>(std::filesystem::file_size(path_) / kSectorSize - 1); }

private:
    BlockRig& rig_;
    std::string path_;
};

}  // namespace

BlockRig::BlockRig() {
    manager.dosFilesRoot = std::wstring();
}

bool BlockRig::Attach(const std::string& imagePath) {
    std::unique_ptr<ImageDrive> image = ImageDrive::Open(WideFromUtf8(imagePath), true);
    if (!image) return false;
    sectors.AttachDrive(std::move(image));
    return true;
}

int BlockRig::FormatDrive(const std::string& imagePath, uint32_t blocks) {
    sectors.CloseDrive();
    ImageFormatHost host(*this, imagePath);
    return manager.FormatDrive(host, blocks, Format144M, 0, DosNone);
}

bool MakeSparseImage(const std::string& path, uint64_t count) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    { std::ofstream create(path, std::ios::binary | std::ios::trunc); }
    std::filesystem::resize_file(path, count * kSectorSize, ec);
    return !ec;
}

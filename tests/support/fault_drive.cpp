#include "support/fault_drive.h"

#include <cstring>

#include "disk/sector_access.h"
#include "disk/system_error.h"

namespace {
#ifdef _WIN32
constexpr uint32_t kIoError = 1117;  // ERROR_IO_DEVICE
#else
constexpr uint32_t kIoError = 5;  // EIO
#endif
}  // namespace

int FaultPlan::Count(bool writes) const {
    int n = 0;
    for (const Transfer& t : transfers) n += t.write == writes;
    return n;
}

std::string FaultPlan::Describe() const {
    std::string text;
    for (const Transfer& t : transfers)
        text += (text.empty() ? "" : ", ") + std::string(t.write ? "W " : "R ") + std::to_string(t.sector) + "+" +
                std::to_string(t.count);
    return text;
}

FaultDrive::FaultDrive(std::unique_ptr<RawDrive> inner, std::shared_ptr<FaultPlan> plan)
    : inner_(std::move(inner)), plan_(std::move(plan)) {}

bool FaultDrive::Allowed(uint32_t bytes, uint32_t* allowed) {
    int k = static_cast<int>(plan_->transfers.size());
    *allowed = bytes;
    if (plan_->failAt == 0 || k < plan_->failAt) return true;
    if (plan_->fault == Fault::Dead || (k == plan_->failAt && plan_->fault == Fault::Fail)) {
        SetLastSystemError(kIoError);
        return false;
    }
    if (k == plan_->failAt && plan_->fault == Fault::Short) *allowed = bytes / kSectorSize / 2 * kSectorSize;
    return true;
}

bool FaultDrive::ReadAt(uint64_t offset, void* buffer, uint32_t bytes, uint32_t* done) {
    plan_->transfers.push_back({false, offset / kSectorSize, bytes / kSectorSize});
    uint32_t allowed = 0;
    *done = 0;
    if (!Allowed(bytes, &allowed)) return false;
    return allowed == 0 || inner_->ReadAt(offset, buffer, allowed, done);
}

bool FaultDrive::WriteAt(uint64_t offset, const void* buffer, uint32_t bytes, uint32_t* done) {
    plan_->transfers.push_back({true, offset / kSectorSize, bytes / kSectorSize});
    uint32_t allowed = 0;
    *done = 0;
    if (!Allowed(bytes, &allowed)) return false;
    if (plan_->fault == Fault::Lost && plan_->failAt == static_cast<int>(plan_->transfers.size())) {
        *done = bytes;
        return true;
    }
    return allowed == 0 || inner_->WriteAt(offset, buffer, allowed, done);
}

bool FaultDrive::Flush() {
    ++plan_->flushes;
    return inner_->Flush();
}

bool MemoryDrive::ReadAt(uint64_t offset, void* buffer, uint32_t bytes, uint32_t* done) {
    *done = 0;
    if (offset > bytes_.size() || bytes > bytes_.size() - offset) return false;
    std::memcpy(buffer, bytes_.data() + offset, bytes);
    *done = bytes;
    return true;
}

bool MemoryDrive::WriteAt(uint64_t offset, const void* buffer, uint32_t bytes, uint32_t* done) {
    *done = 0;
    if (offset > bytes_.size() || bytes > bytes_.size() - offset) return false;
    std::memcpy(bytes_.data() + offset, buffer, bytes);
    *done = bytes;
    return true;
}

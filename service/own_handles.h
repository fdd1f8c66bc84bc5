// The handles the disk service opened for clients and has not closed yet, by the 32-bit value the
// client was given, with the process id of the client they belong to. Requests may name only these:
// any other value, even a valid handle of the service's own process, is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class OwnHandles {
public:
    // Bounds what clients can keep open; the program itself holds two or three at a time.
    static constexpr size_t kCapacity = 64;
    static constexpr uint32_t kAnyOwner = 0xFFFFFFFF;

    OwnHandles() { entries_.reserve(kCapacity); }

    bool Full() const { return entries_.size() >= kCapacity; }
    size_t Count() const { return entries_.size(); }
    void Add(uint32_t value, void* handle, uint32_t owner);
    // The handle given out as `value`, or null when there is none.
    void* Find(uint32_t value) const;
    void Remove(uint32_t value);
    // Removes and returns some handle of `owner` (of anyone for kAnyOwner), or null when none is left.
    void* TakeAny(uint32_t owner = kAnyOwner);

private:
    struct Entry {
        uint32_t value;
        void* handle;
        uint32_t owner;
    };
    std::vector<Entry> entries_;
};

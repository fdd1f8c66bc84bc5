// The disk service's table of handles it opened for clients.
#include "service/own_handles.h"

void OwnHandles::Add(uint32_t value, void* handle, uint32_t owner) {
    Remove(value);
    entries_.push_back({value, handle, owner});
}

void* OwnHandles::Find(uint32_t value) const {
    for (const Entry& e : entries_) {
        if (e.value == value) return e.handle;
    }
    return nullptr;
}

void OwnHandles::Remove(uint32_t value) {
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].value == value) {
            entries_[i] = entries_.back();
            entries_.pop_back();
            return;
        }
    }
}

void* OwnHandles::TakeAny(uint32_t owner) {
    for (size_t i = entries_.size(); i-- > 0;) {
        if (owner != kAnyOwner && entries_[i].owner != owner) continue;
        void* handle = entries_[i].handle;
        entries_[i] = entries_.back();
        entries_.pop_back();
        return handle;
    }
    return nullptr;
}

// The disk service's table of handles it opened for clients.
#include "service/own_handles.h"

void OwnHandles::Add(uint32_t value, void* handle) {
    Remove(value);
    entries_.push_back({value, handle});
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

void* OwnHandles::TakeAny() {
    if (entries_.empty()) return nullptr;
    void* handle = entries_.back().handle;
    entries_.pop_back();
    return handle;
}

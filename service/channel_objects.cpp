// Creating the shared block and the events of the disk service channel.
#include "service/channel_objects.h"

#include "service/service_log.h"

namespace {

// Security attributes whose access list grants full access to Everyone and the Administrators.
class OpenToUsers {
public:
    OpenToUsers() {
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone_)) return;
        if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                      &administrators_)) {
            return;
        }
        auto* acl = reinterpret_cast<ACL*>(acl_);
        if (!InitializeAcl(acl, sizeof(acl_), ACL_REVISION)) return;
        if (!AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, everyone_)) return;
        if (!AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, administrators_)) return;
        if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION)) return;
        if (!SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE)) return;
        attributes_.nLength = sizeof(attributes_);
        attributes_.lpSecurityDescriptor = &descriptor_;
        attributes_.bInheritHandle = FALSE;
        ready_ = true;
    }
    ~OpenToUsers() {
        if (everyone_) FreeSid(everyone_);
        if (administrators_) FreeSid(administrators_);
    }
    OpenToUsers(const OpenToUsers&) = delete;
    OpenToUsers& operator=(const OpenToUsers&) = delete;

    // Null when the descriptor could not be built: the objects then get the default one.
    SECURITY_ATTRIBUTES* Get() { return ready_ ? &attributes_ : nullptr; }

private:
    PSID everyone_ = nullptr;
    PSID administrators_ = nullptr;
    alignas(8) unsigned char acl_[256];
    SECURITY_DESCRIPTOR descriptor_ = {};
    SECURITY_ATTRIBUTES attributes_ = {};
    bool ready_ = false;
};

}  // namespace

bool CreateChannelObjects(const ServiceChannelNames& names, ChannelObjects* objects) {
    *objects = ChannelObjects();
    OpenToUsers security;
    objects->mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, security.Get(), PAGE_READWRITE, 0, kServiceBlockSize,
                                          names.mapping.c_str());
    if (objects->mapping) {
        objects->block = static_cast<uint8_t*>(MapViewOfFile(objects->mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    }
    if (!objects->block) {
        DebugText("CreateFileMapping error %d", static_cast<int>(GetLastError()));
        CloseChannelObjects(objects);
        return false;
    }
    objects->request = CreateEventW(security.Get(), FALSE, FALSE, names.request.c_str());
    objects->response = objects->request ? CreateEventW(security.Get(), FALSE, FALSE, names.response.c_str()) : nullptr;
    if (!objects->response) {
        DebugText("CreateEvent error %d", static_cast<int>(GetLastError()));
        CloseChannelObjects(objects);
        return false;
    }
    return true;
}

void CloseChannelObjects(ChannelObjects* objects) {
    if (objects->block) UnmapViewOfFile(objects->block);
    if (objects->mapping) CloseHandle(objects->mapping);
    if (objects->request) CloseHandle(objects->request);
    if (objects->response) CloseHandle(objects->response);
    *objects = ChannelObjects();
}

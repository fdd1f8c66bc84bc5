// Creating the shared block and the events of the disk service channel.
#include "service/channel_objects.h"

#include <aclapi.h>

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

// Called right after the object's creation, while the last error still tells whether the name
// existed. True when it did and the object's owner is not this process's default owner.
bool MadeByAnother(HANDLE object) {
    if (!object || GetLastError() != ERROR_ALREADY_EXISTS) return false;
    bool ours = false;
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    HANDLE token = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) == ERROR_SUCCESS &&
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        alignas(8) unsigned char buffer[256];
        DWORD needed = 0;
        // Windows gives every named object an owner; one without (as Wine makes them) claims no account.
        ours = !owner || (GetTokenInformation(token, TokenOwner, buffer, sizeof buffer, &needed) &&
                          EqualSid(reinterpret_cast<TOKEN_OWNER*>(buffer)->Owner, owner));
    }
    if (token) CloseHandle(token);
    if (descriptor) LocalFree(descriptor);
    return !ours;
}

// The object, or null with ERROR_ALREADY_EXISTS when another account made it.
HANDLE Fresh(HANDLE object) {
    if (!MadeByAnother(object)) return object;
    CloseHandle(object);
    SetLastError(ERROR_ALREADY_EXISTS);
    return nullptr;
}

}  // namespace

bool CreateChannelObjects(const ServiceChannelNames& names, ChannelObjects* objects) {
    *objects = ChannelObjects();
    OpenToUsers security;
    objects->mapping = Fresh(CreateFileMappingW(INVALID_HANDLE_VALUE, security.Get(), PAGE_READWRITE, 0,
                                                kServiceBlockSize, names.mapping.c_str()));
    if (objects->mapping) {
        objects->block = static_cast<uint8_t*>(MapViewOfFile(objects->mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    }
    if (!objects->block) {
        DebugText("CreateFileMapping error %d", static_cast<int>(GetLastError()));
        CloseChannelObjects(objects);
        return false;
    }
    objects->request = Fresh(CreateEventW(security.Get(), FALSE, FALSE, names.request.c_str()));
    if (objects->request) objects->response = Fresh(CreateEventW(security.Get(), FALSE, FALSE, names.response.c_str()));
    if (!objects->response) {
        DebugText("CreateEvent error %d", static_cast<int>(GetLastError()));
        CloseChannelObjects(objects);
        return false;
    }
    objects->exchange = Fresh(CreateMutexW(security.Get(), FALSE, names.exchange.c_str()));
    if (!objects->exchange) {
        DebugText("CreateMutex error %d", static_cast<int>(GetLastError()));
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
    if (objects->exchange) CloseHandle(objects->exchange);
    *objects = ChannelObjects();
}

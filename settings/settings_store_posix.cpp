// The settings store as a file: settings.ini in ($XDG_CONFIG_HOME or ~/.config)/slotwise, read
// whole for every access and replaced whole (temporary file, then rename) for every write.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "disk/wide_path.h"
#include "settings/settings_file.h"
#include "settings/settings_store.h"

class SettingsKeyImpl {
public:
    std::string directory;
    std::string keyPath;  // UTF-8, the section's header
};

namespace {

const char kFileName[] = "settings.ini";

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    const passwd* user = getpwuid(getuid());
    return user && user->pw_dir ? user->pw_dir : "";
}

long ConfigDirectory(const SettingsLocation& location, std::string* directory) {
    if (!location.directory.empty()) {
        *directory = location.directory;
        return 0;
    }
    // A relative XDG_CONFIG_HOME is to be ignored.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') {
        *directory = std::string(xdg) + "/slotwise";
        return 0;
    }
    std::string home = HomeDirectory();
    if (home.empty()) return ENOENT;
    *directory = home + "/.config/slotwise";
    return 0;
}

// Creates the directory and any missing parents; new ones are private to the user.
long MakeDirectories(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
        if (slash == std::string::npos) break;
    }
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return errno;
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

// A missing file reads as an empty one.
long LoadFile(const std::string& directory, SettingsFile* file) {
    std::string path = directory + "/" + kFileName;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? 0 : errno;
    std::string text;
    char buffer[8192];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            long error = errno;
            close(fd);
            return error;
        }
        if (got == 0) break;
        text.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    *file = ParseSettingsFile(text);
    return 0;
}

long WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t put = write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return errno;
        done += static_cast<size_t>(put);
    }
    return 0;
}

// Replaces the file whole, so that a crash leaves either the old or the new settings.
long SaveFile(const std::string& directory, const SettingsFile& file) {
    std::string path = directory + "/" + kFileName;
    std::string temporary = directory + "/." + kFileName + "." + std::to_string(getpid()) + ".tmp";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    long error = WriteAll(fd, FormatSettingsFile(file));
    if (error == 0 && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        unlink(temporary.c_str());
        return error;
    }
    int dir = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);  // the rename itself; not every file system can, and the file is written either way
        close(dir);
    }
    return 0;
}

}  // namespace

SettingsKey::SettingsKey() = default;
SettingsKey::~SettingsKey() = default;

void SettingsKey::Close() {
    impl_.reset();
}

long SettingsStore::OpenKey(const std::wstring& subkey, SettingsKey* key) const {
    key->Close();
    auto impl = std::make_unique<SettingsKeyImpl>();
    impl->keyPath = Utf8FromWide(KeyPath(subkey));
    if (!IsValidSectionName(impl->keyPath)) return EINVAL;
    long error = ConfigDirectory(location_, &impl->directory);
    if (error == 0) error = MakeDirectories(impl->directory);
    SettingsFile file;
    if (error == 0) error = LoadFile(impl->directory, &file);
    if (error != 0) return error;
    if (!FindSection(file, impl->keyPath)) {
        file.push_back(SettingsFileSection{impl->keyPath, {}});
        error = SaveFile(impl->directory, file);
        if (error != 0) return error;
    }
    key->impl_ = std::move(impl);
    return 0;
}

long SettingsKey::ReadValue(const std::wstring& name, SettingsValue* value) const {
    if (!impl_) return EBADF;
    SettingsFile file;
    long error = LoadFile(impl_->directory, &file);
    if (error != 0) return error;
    const SettingsFileSection* section = FindSection(file, impl_->keyPath);
    const SettingsFileEntry* entry = section ? FindEntry(*section, Utf8FromWide(name)) : nullptr;
    if (!entry) return ENOENT;
    *value = entry->value;
    return 0;
}

long SettingsKey::WriteValue(const std::wstring& name, uint32_t type, const void* data, size_t size) {
    if (!impl_) return EBADF;
    SettingsFile file;
    long error = LoadFile(impl_->directory, &file);
    if (error != 0) return error;
    SettingsFileSection* section = FindSection(file, impl_->keyPath);
    if (!section) {
        file.push_back(SettingsFileSection{impl_->keyPath, {}});
        section = &file.back();
    }
    SettingsValue value;
    value.type = type;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    value.data.assign(bytes, bytes + size);
    SetEntry(*section, Utf8FromWide(name), std::move(value));
    return SaveFile(impl_->directory, file);
}

// The file store of a test: a folder inside the test's temporary directory, not made yet,
// so that opening a key has to create it.
#include "test_store.h"

namespace {

SettingsLocation TestLocation(const TempDir& dir) {
    SettingsLocation location;
    location.directory = dir.File("config/slotwise");
    return location;
}

}  // namespace

TestStore::TestStore() : store_(TestLocation(dir_)) {}
TestStore::~TestStore() = default;

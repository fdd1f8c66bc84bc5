// The single-instance rule in one process, under mapping names of the test's own: taking the
// mapping, publishing the main window, clearing it at exit, and meeting a mapping that another
// instance made (still starting, gone, or with a live window to bring to the front).
#include <gtest/gtest.h>

#include <string>

#include "app/single_instance.h"
#include "gui_support.h"

namespace {

// Another process's view of a mapping: opened by name, as a second start would see it.
class MappingView {
public:
    explicit MappingView(const std::wstring& name) {
        handle_ = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
        if (handle_) value_ = static_cast<volatile DWORD*>(MapViewOfFile(handle_, FILE_MAP_ALL_ACCESS, 0, 0, 4));
    }
    // Makes the mapping, as an instance that started first.
    static MappingView Create(const std::wstring& name, DWORD value) {
        HANDLE made = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, name.c_str());
        MappingView view(name);
        CloseHandle(made);
        if (view.value_) *view.value_ = value;
        return view;
    }
    MappingView(MappingView&& other) noexcept : handle_(other.handle_), value_(other.value_) {
        other.handle_ = nullptr;
        other.value_ = nullptr;
    }
    ~MappingView() {
        if (value_) UnmapViewOfFile(const_cast<DWORD*>(value_));
        if (handle_) CloseHandle(handle_);
    }
    bool open() const { return value_ != nullptr; }
    DWORD value() const { return *value_; }

private:
    HANDLE handle_ = nullptr;
    volatile DWORD* value_ = nullptr;
};

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        name_ = L"SlotwiseTestInstance-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        UseInstanceMappingName(name_.c_str());
    }
    void TearDown() override {
        PublishMainWindow(nullptr);
        UseInstanceMappingName(nullptr);
    }
    std::wstring name_;
};

TEST_F(SingleInstance, FirstInstanceMakesTheMappingHoldingZero) {
    ASSERT_FALSE(MappingView(name_).open());
    ASSERT_TRUE(AcquireSingleInstance());
    MappingView other(name_);
    ASSERT_TRUE(other.open());
    EXPECT_EQ(other.value(), 0u);
    // Asking again while holding it changes nothing.
    EXPECT_TRUE(AcquireSingleInstance());
}

TEST_F(SingleInstance, PublishedWindowIsReadByOthersAndClearedAtExit) {
    TestWindow window(RECT{50, 50, 350, 250});
    ASSERT_TRUE(AcquireSingleInstance());
    MappingView other(name_);
    ASSERT_TRUE(other.open());
    PublishMainWindow(window.hwnd());
    EXPECT_EQ(InstanceValueToWindow(other.value()), window.hwnd());
    PublishMainWindow(nullptr);
    EXPECT_EQ(other.value(), 0u);
    // Released: publishing again writes nothing.
    PublishMainWindow(window.hwnd());
    EXPECT_EQ(other.value(), 0u);
}

TEST_F(SingleInstance, MappingHoldingZeroLetsTheSecondStartRunFully) {
    MappingView first = MappingView::Create(name_, 0);
    ASSERT_TRUE(first.open());
    EXPECT_TRUE(AcquireSingleInstance());
    TestWindow window(RECT{50, 50, 350, 250});
    PublishMainWindow(window.hwnd());
    EXPECT_EQ(InstanceValueToWindow(first.value()), window.hwnd());
}

TEST_F(SingleInstance, MappingNamingAWindowThatIsGoneLetsTheSecondStartRun) {
    HWND gone = nullptr;
    {
        TestWindow window(RECT{50, 50, 350, 250});
        gone = window.hwnd();
    }
    ASSERT_FALSE(IsWindow(gone));
    MappingView first = MappingView::Create(name_, WindowToInstanceValue(gone));
    EXPECT_TRUE(AcquireSingleInstance());
}

TEST_F(SingleInstance, LiveWindowOfAnotherInstanceIsRestoredAndTheStartStops) {
    TestWindow window(RECT{60, 60, 460, 360});
    ShowWindow(window.hwnd(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window.hwnd()));
    MappingView first = MappingView::Create(name_, WindowToInstanceValue(window.hwnd()));
    EXPECT_FALSE(AcquireSingleInstance());
    EXPECT_FALSE(IsIconic(window.hwnd()));
    EXPECT_TRUE(IsWindowVisible(window.hwnd()));
    // The stopped start holds nothing: it never writes into the other instance's mapping.
    TestWindow mine(RECT{80, 80, 380, 280});
    PublishMainWindow(mine.hwnd());
    EXPECT_EQ(InstanceValueToWindow(first.value()), window.hwnd());
}

TEST_F(SingleInstance, ExitLeavesTheWindowOfAnInstanceThatTookOver) {
    ASSERT_TRUE(AcquireSingleInstance());
    TestWindow mine(RECT{50, 50, 350, 250});
    PublishMainWindow(mine.hwnd());
    MappingView other(name_);
    ASSERT_TRUE(other.open());
    // While this instance was closing another one started and published its own window.
    TestWindow theirs(RECT{90, 90, 390, 290});
    MappingView::Create(name_, WindowToInstanceValue(theirs.hwnd()));
    PublishMainWindow(nullptr);
    EXPECT_EQ(InstanceValueToWindow(other.value()), theirs.hwnd());
}

TEST(InstanceValue, WindowsSurviveTheThirtyTwoBitValue) {
    TestWindow window(RECT{50, 50, 350, 250});
    EXPECT_EQ(InstanceValueToWindow(WindowToInstanceValue(window.hwnd())), window.hwnd());
    EXPECT_EQ(InstanceValueToWindow(0), nullptr);
}

}  // namespace

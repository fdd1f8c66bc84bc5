// Message boxes: where a box is centred and kept on the desktop, the texts and caption a box
// shows, system error boxes and result boxes. Boxes are found and answered by a helper thread.
#include <gtest/gtest.h>

#include "app/message_box.h"
#include "app/texts.h"
#include "disk/system_error.h"
#include "gui_support.h"

namespace {

constexpr wchar_t kCaption[] = L"[Tanvale] Slotwise";

RECT Rect(LONG left, LONG top, LONG width, LONG height) {
    return RECT{left, top, left + width, top + height};
}

bool SamePoint(const POINT& p, LONG x, LONG y) {
    return p.x == x && p.y == y;
}

TEST(BoxPosition, CentresTheBoxOverTheWindow) {
    POINT at = CentredBoxPosition(Rect(100, 200, 400, 300), Rect(0, 0, 1024, 768), Rect(0, 0, 200, 100));
    EXPECT_TRUE(SamePoint(at, 200, 300)) << at.x << "," << at.y;
}

TEST(BoxPosition, HalvesOddSizesTowardZero) {
    // 401 / 2 = 200 and 101 / 2 = 50; 301 / 2 = 150 and 99 / 2 = 49.
    POINT at = CentredBoxPosition(Rect(10, 20, 401, 301), Rect(0, 0, 1024, 768), Rect(0, 0, 101, 99));
    EXPECT_TRUE(SamePoint(at, 10 + 200 - 50, 20 + 150 - 49)) << at.x << "," << at.y;
}

TEST(BoxPosition, BoxNearTheRightAndBottomEdgesEndsAtThem) {
    POINT at = CentredBoxPosition(Rect(900, 700, 300, 200), Rect(0, 0, 1024, 768), Rect(0, 0, 240, 120));
    EXPECT_TRUE(SamePoint(at, 1024 - 240, 768 - 120)) << at.x << "," << at.y;
}

TEST(BoxPosition, BoxPastTheLeftAndTopEdgesStartsAtZero) {
    POINT at = CentredBoxPosition(Rect(-300, -200, 200, 100), Rect(0, 0, 1024, 768), Rect(0, 0, 240, 120));
    EXPECT_TRUE(SamePoint(at, 0, 0)) << at.x << "," << at.y;
}

TEST(BoxPosition, BoxWiderThanTheDesktopIsAlignedToItsRightEdge) {
    // The left edge is fixed first, then the right edge wins.
    POINT at = CentredBoxPosition(Rect(0, 0, 300, 200), Rect(0, 0, 640, 480), Rect(0, 0, 800, 100));
    EXPECT_EQ(at.x, 640 - 800);
}

class MessageBoxes : public ::testing::Test {
protected:
    void TearDown() override { SetMainWindowForMessages(nullptr); }
};

TEST_F(MessageBoxes, BoxOverAWindowNearTheRightEdgeIsMovedLeftToTheEdge) {
    const RECT desktop = DesktopRect();
    TestWindow window(Rect(desktop.right - 150, 200, 300, 200));
    int result = 0;
    SeenBox box = AnswerBox([&] { return ShowMessage(L"Near the edge", MB_OK, window.hwnd()); }, IDOK, &result);
    ASSERT_TRUE(box.found);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.text, L"Near the edge");
    EXPECT_EQ(box.owner, window.hwnd());
    EXPECT_EQ(box.rect.right, desktop.right);
    RECT windowRect;
    GetWindowRect(window.hwnd(), &windowRect);
    const LONG height = box.rect.bottom - box.rect.top;
    EXPECT_EQ(box.rect.top, windowRect.top + (windowRect.bottom - windowRect.top) / 2 - height / 2);
}

TEST_F(MessageBoxes, MinimisedOwnerIsRestoredAndTheBoxCentredOverIt) {
    TestWindow window(Rect(120, 80, 500, 400));
    ShowWindow(window.hwnd(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window.hwnd()));
    bool iconicWhileOpen = true;
    RECT restored = {};
    SeenBox box = AnswerBox([&] { return ShowMessage(L"Restored", MB_OK, window.hwnd()); }, IDOK, nullptr, 5000,
                            [&](HWND) {
                                iconicWhileOpen = IsIconic(window.hwnd()) != FALSE;
                                GetWindowRect(window.hwnd(), &restored);
                            });
    ASSERT_TRUE(box.found);
    EXPECT_FALSE(iconicWhileOpen);
    const RECT size = Rect(0, 0, box.rect.right - box.rect.left, box.rect.bottom - box.rect.top);
    POINT expected = CentredBoxPosition(restored, DesktopRect(), size);
    EXPECT_EQ(box.rect.left, expected.x);
    EXPECT_EQ(box.rect.top, expected.y);
    EXPECT_EQ(box.rect.left, restored.left + (restored.right - restored.left) / 2 - size.right / 2);
}

TEST_F(MessageBoxes, WithoutWindowsTheBoxIsCentredOverAndOwnedByTheMainWindow) {
    TestWindow main(Rect(200, 150, 600, 400));
    SetMainWindowForMessages(main.hwnd());
    SeenBox box =
        AnswerBox([] { return ShowMessage(L"Over the main window", MB_OK, nullptr, nullptr); }, IDOK, nullptr);
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.owner, main.hwnd());
    const LONG width = box.rect.right - box.rect.left;
    EXPECT_EQ(box.rect.left, 200 + 300 - width / 2);
}

TEST_F(MessageBoxes, StringIdsAreLoadedFromTheStringTableAndTheButtonIsReturned) {
    int result = 0;
    SeenBox box = AnswerBox([] { return ShowMessage(61430, MB_ICONEXCLAMATION | MB_OKCANCEL); }, IDCANCEL, &result);
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, L"Un-support NT system, run above of Win2000 system");
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(MessageBoxes, ResultCodeWithoutAFixedTextShowsItInHexadecimal) {
    SeenBox box = AnswerBox([] { return ShowResultMessage(0x1234, nullptr); }, IDOK, nullptr);
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, L"Error code: 1234");
    box = AnswerBox([] { return ShowResultMessage(-2, nullptr); }, IDOK, nullptr);
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, L"Error code: fffffffe");
}

TEST_F(MessageBoxes, ResultCodeZeroShowsNoBox) {
    int result = -1;
    SeenBox box = AnswerBox([] { return ShowResultMessage(0, nullptr); }, IDOK, &result, 1000);
    EXPECT_FALSE(box.found);
    EXPECT_EQ(result, 0);
}

TEST_F(MessageBoxes, KnownResultCodesShowTheirTexts) {
    const struct {
        int code;
        const wchar_t* text;
    } cases[] = {
        {5, L"Error: the current floppy disk block is over the biggest capability"},
        {258, L"Error: the current floppy disk block is over the biggest capability"},
        {17, L"The file system of floppy disk is error\u00A3\u00A1"},
        {256, L"Error: Not FAT12 file system"},
        {257, L"Error: the image file must less than 1.5M  "},
    };
    for (const auto& c : cases) {
        SeenBox box = AnswerBox([&] { return ShowResultMessage(c.code, nullptr); }, IDOK, nullptr);
        ASSERT_TRUE(box.found) << c.code;
        EXPECT_EQ(box.text, c.text) << c.code;
    }
}

TEST_F(MessageBoxes, ResultMinusOneShowsTheSystemTextOfTheLastError) {
    const std::wstring expected = SystemErrorText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(expected.empty());
    SetLastSystemError(ERROR_ACCESS_DENIED);
    SeenBox box = AnswerBox([] { return ShowResultMessage(-1, nullptr); }, IDOK, nullptr);
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, expected);
}

TEST_F(MessageBoxes, SystemErrorBoxPutsTheFirstLineAboveTheSystemText) {
    const std::wstring expected = SystemErrorText(ERROR_PATH_NOT_FOUND);
    ASSERT_FALSE(expected.empty());
    SetLastSystemError(ERROR_PATH_NOT_FOUND);
    SeenBox box = AnswerBox([] { return ShowSystemError(L"Q:\\missing\\dir", nullptr); }, IDOK, nullptr);
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, L"Q:\\missing\\dir\n" + expected);
}

TEST_F(MessageBoxes, SystemErrorBoxForACodeNoTableKnows) {
    const DWORD unknown = 0x2FFF1234;
    ASSERT_TRUE(SystemErrorText(unknown).empty());
    SetLastSystemError(unknown);
    SeenBox box = AnswerBox([] { return ShowSystemError(L"First line", nullptr); }, IDOK, nullptr);
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, L"First line\nError number not found.");
    box = AnswerBox([] { return ShowSystemError(nullptr, nullptr); }, IDOK, nullptr);
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, L"Error number not found.");
}

}  // namespace

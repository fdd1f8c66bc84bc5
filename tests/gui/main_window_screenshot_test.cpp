// Pictures of the main window for the record, kept under the build tree (artifacts/): the window
// on a drive of blocks in all three formats with one block selected, and with its Single menu
// open, which shows the toolbar's images beside the menu items.
#include "main_window_fixture.h"

#include <commctrl.h>

#include <filesystem>
#include <set>

#include "png_file.h"
#include "ui/resource.h"

namespace {
namespace fs = std::filesystem;

// Relative to the test's working folder, the build folder of tests/gui.
const char kArtifacts[] = "../../artifacts";

class MainWindowScreenshot : public MainWindowTest {
protected:
    // The screen under rect as pixels; the number of distinct colours in *colours.
    std::vector<uint32_t> Capture(const RECT& rect, size_t* colours) {
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                     static_cast<const uint32_t*>(bits) + static_cast<size_t>(width) * height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        std::set<uint32_t> distinct;
        for (uint32_t& p : pixels) {
            p &= 0x00FFFFFF;
            distinct.insert(p);
        }
        *colours = distinct.size();
        return pixels;
    }

    void Save(const RECT& rect, const char* name) {
        size_t colours = 0;
        std::vector<uint32_t> pixels = Capture(rect, &colours);
        // A window drawn with its bars, icons and texts has many colours; a blank screen has one.
        EXPECT_GT(colours, 16u);
        fs::create_directories(kArtifacts);
        const std::string path = std::string(kArtifacts) + "/" + name;
        EXPECT_TRUE(WritePng(path, rect.right - rect.left, rect.bottom - rect.top, pixels));
        std::printf("screenshot: %s\n", fs::absolute(path).generic_u8string().c_str());
    }
};

TEST_F(MainWindowScreenshot, TheWindowOnADriveOfAllThreeFormats) {
    CopyFileOver(drivePath, referencePath);
    referenceRunner.parameters.floppyFormat = Format12M;
    referenceRunner.parameters.quickFormat = 1;
    ASSERT_EQ(RunReferenceJob(JOB_FORMAT, {5, 6, 7}), 0);
    referenceRunner.parameters.floppyFormat = Format720K;
    ASSERT_EQ(RunReferenceJob(JOB_FORMAT, {8, 9, 10}), 0);
    CopyFileOver(referencePath, drivePath);
    {
        SettingsKey key;
        ASSERT_EQ(store.store().OpenKey(&key), 0);
        const int32_t placement[] = {30, 20, 760, 520, 0};
        key.WriteBinary(L"MainWinPos", placement, sizeof(placement));
    }
    OpenWindow();
    SetCursorPos(1000, 740);
    SelectRows(list, {2});
    ASSERT_TRUE(WaitUntil([&] { return StatusTextOf(frame).rfind(L"Serial number: 002", 0) == 0; }));
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(500);
    RECT rect = {};
    GetWindowRect(frame, &rect);
    Save(rect, "main-window.png");

    // The Single menu opened from the keyboard, as Alt+S does.
    PostMessageW(frame, WM_SYSCOMMAND, SC_KEYMENU, 's');
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        popup = FindWindowW(L"#32768", nullptr);
        return popup && IsWindowVisible(popup);
    }));
    Sleep(500);
    RECT menu = {};
    GetWindowRect(popup, &menu);
    UnionRect(&rect, &rect, &menu);
    Save(rect, "main-window-menu.png");
    RunOnWindowThread(frame, [] { EndMenu(); });
}

}  // namespace

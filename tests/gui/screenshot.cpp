// Screen captures written as PNG files.
#include "screenshot.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "png_file.h"

namespace fs = std::filesystem;

namespace {
// Relative to the test's working folder, the build folder of tests/gui.
const char kArtifacts[] = "../../artifacts";

// The screen under rect as 0x00RRGGBB pixels, top row first.
std::vector<uint32_t> Capture(const RECT& rect) {
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
    const auto* first = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> pixels(first, first + static_cast<size_t>(width) * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (uint32_t& p : pixels)
        p &= 0x00FFFFFF;
    return pixels;
}
}  // namespace

void SaveScreenshot(const RECT& rect, const char* name, size_t minColours) {
    const std::vector<uint32_t> pixels = Capture(rect);
    EXPECT_GT(std::set<uint32_t>(pixels.begin(), pixels.end()).size(), minColours) << name;
    fs::create_directories(kArtifacts);
    const std::string path = std::string(kArtifacts) + "/" + name;
    EXPECT_TRUE(WritePng(path, rect.right - rect.left, rect.bottom - rect.top, pixels));
    std::printf("screenshot: %s\n", fs::absolute(path).generic_u8string().c_str());
}

void SaveScreenshot(HWND window, const char* name, size_t minColours) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    Sleep(500);
    RECT rect = {};
    GetWindowRect(window, &rect);
    SaveScreenshot(rect, name, minColours);
}

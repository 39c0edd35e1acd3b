#include <windows.h>

#include "Screenshot.h"

#include "AnsiText.h"

namespace ui {

bool SaveWindowScreenshot(HWND window, const std::string& path) {
    RECT rect;
    if (!GetWindowRect(window, &rect))
        return false;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return false;

    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height; // bottom-up, as a .bmp file stores its rows
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                      &bits, nullptr, 0);
    bool saved = false;
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        // What is on the screen: Wine's PrintWindow leaves out the child windows.
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        HDC source = GetWindowDC(window);
        BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
        ReleaseDC(window, source);
        GdiFlush();
        const DWORD pixelBytes = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
        // GDI leaves the fourth byte 0, which viewers take for fully transparent.
        auto* pixel = static_cast<BYTE*>(bits);
        for (DWORD i = 3; i < pixelBytes; i += 4)
            pixel[i] = 0xFF;
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42; // "BM"
        file.bfOffBits = sizeof(file) + sizeof(info);
        file.bfSize = file.bfOffBits + pixelBytes;
        HANDLE out = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (out != INVALID_HANDLE_VALUE) {
            auto write = [out](const void* data, DWORD size) {
                DWORD written = 0;
                return WriteFile(out, data, size, &written, nullptr) && written == size;
            };
            saved =
                write(&file, sizeof(file)) && write(&info, sizeof(info)) && write(bits, pixelBytes);
            CloseHandle(out);
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

} // namespace ui

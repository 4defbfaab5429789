#include "window_picture.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "tool_session.h"

namespace e2e {
namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgr;  // rows top to bottom, 3 bytes a pixel, no padding
};

Picture Capture(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    Picture picture;
    picture.width = rect.right - rect.left;
    picture.height = rect.bottom - rect.top;
    const int stride = (picture.width * 3 + 3) & ~3;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const BOOL copied =
        BitBlt(memory, 0, 0, picture.width, picture.height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    if (copied && bits != nullptr) {
        picture.bgr.resize(static_cast<std::size_t>(picture.width) * 3 * picture.height);
        for (int y = 0; y < picture.height; ++y) {
            const auto* row =
                static_cast<const std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * stride;
            std::copy(row, row + picture.width * 3,
                      picture.bgr.begin() + static_cast<std::ptrdiff_t>(y) * picture.width * 3);
        }
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (picture.bgr.empty()) {
        throw Fatal("cannot copy the window's pixels from the screen");
    }
    return picture;
}

void Append32(std::vector<std::uint8_t>& out, std::uint32_t value) {  // big-endian
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> values{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            values[n] = c;
        }
        return values;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

void AppendChunk(std::vector<std::uint8_t>& out, std::string_view type,
                 const std::vector<std::uint8_t>& data) {
    Append32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    Append32(out, Crc32(out.data() + start, out.size() - start));
}

// A PNG file of 8-bit RGB whose image data is stored uncompressed (deflate's stored blocks): the
// pictures are small, and no compression library is needed.
std::vector<std::uint8_t> EncodePng(const Picture& picture) {
    std::vector<std::uint8_t> raw;
    raw.reserve((static_cast<std::size_t>(picture.width) * 3 + 1) * picture.height);
    for (int y = 0; y < picture.height; ++y) {
        raw.push_back(0);  // no filter
        const std::uint8_t* row =
            picture.bgr.data() + static_cast<std::ptrdiff_t>(y) * picture.width * 3;
        for (int x = 0; x < picture.width; ++x) {
            raw.push_back(row[x * 3 + 2]);
            raw.push_back(row[x * 3 + 1]);
            raw.push_back(row[x * 3]);
        }
    }
    std::vector<std::uint8_t> zlib{0x78, 0x01};
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (const std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    std::size_t offset = 0;
    do {
        const std::size_t length = std::min<std::size_t>(raw.size() - offset, 65535);
        const bool last = offset + length == raw.size();
        zlib.push_back(last ? 1 : 0);
        zlib.push_back(static_cast<std::uint8_t>(length));
        zlib.push_back(static_cast<std::uint8_t>(length >> 8));
        zlib.push_back(static_cast<std::uint8_t>(~length));
        zlib.push_back(static_cast<std::uint8_t>(~length >> 8));
        zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
                    raw.begin() + static_cast<std::ptrdiff_t>(offset + length));
        offset += length;
    } while (offset < raw.size());
    Append32(zlib, (b << 16) | a);

    std::vector<std::uint8_t> file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    Append32(header, static_cast<std::uint32_t>(picture.width));
    Append32(header, static_cast<std::uint32_t>(picture.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    AppendChunk(file, "IHDR", header);
    AppendChunk(file, "IDAT", zlib);
    AppendChunk(file, "IEND", {});
    return file;
}

std::vector<std::uint8_t> EncodeBmp(const Picture& picture) {
    const int stride = (picture.width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = picture.width;
    info.biHeight = picture.height;  // bottom-up, as BMP files store rows
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * picture.height);
    std::vector<std::uint8_t> out(file.bfSize, 0);
    std::memcpy(out.data(), &file, sizeof file);
    std::memcpy(out.data() + sizeof file, &info, sizeof info);
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(out.data() + file.bfOffBits +
                        static_cast<std::ptrdiff_t>(picture.height - 1 - y) * stride,
                    picture.bgr.data() + static_cast<std::ptrdiff_t>(y) * picture.width * 3,
                    static_cast<std::size_t>(picture.width) * 3);
    }
    return out;
}

}  // namespace

void SaveWindowPicture(HWND window, const std::wstring& path) {
    const Picture picture = Capture(window);
    const bool png = path.size() >= 4 && _wcsicmp(path.c_str() + path.size() - 4, L".png") == 0;
    const std::vector<std::uint8_t> bytes = png ? EncodePng(picture) : EncodeBmp(picture);
    Handle out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD done = 0;
    const bool written =
        out.get() != INVALID_HANDLE_VALUE &&
        WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
        done == bytes.size();
    if (out.get() == INVALID_HANDLE_VALUE) {
        out.release();
    }
    if (!written) {
        throw Fatal("cannot save the window picture to " + Utf8(path));
    }
}

}  // namespace e2e

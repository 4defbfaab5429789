// Pictures of a window as the screen shows it, saved for a person to look at.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// Saves the window's screen pixels, frame included, as a PNG file when path ends in ".png", else
// as a 24-bit BMP file. Fatal when the file cannot be written.
void SaveWindowPicture(HWND window, const std::wstring& path);

}  // namespace e2e

#include "ui/usage_box.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "actions/win32_handles.h"
#include "model/usage_text.h"
#include "unattended/setup_log.h"

namespace portsetup {
namespace {

// Whether text, in the message boxes' font, leaves room in the work area for a box's caption,
// margins and button. A message box neither scrolls nor shrinks: one taller than the work area
// has its top and its OK button off the screen.
bool FitsWorkArea(const std::wstring& text) {
    RECT work{};
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) ||
        !SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                    GetDpiForSystem())) {
        return false;
    }
    const UniqueHdc dc(CreateCompatibleDC(nullptr));
    const UniqueHfont font(CreateFontIndirectW(&metrics.lfMessageFont));
    if (!dc || !font) {
        return false;
    }
    const HGDIOBJ previous = SelectObject(dc.get(), font.get());
    TEXTMETRICW line{};
    GetTextMetricsW(dc.get(), &line);
    // Wrapped at a third of the work area's width, about as narrow as a message box wraps it
    // (Wine's is 387 pixels wide, its icon and margins included, on a screen 1024 wide).
    RECT box{0, 0, (work.right - work.left) / 3, 0};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &box,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc.get(), previous);
    // The caption, the margins and the button row take less than eight lines.
    return box.bottom + 8 * line.tmHeight <= work.bottom - work.top;
}

}  // namespace

void ShowUsage(std::wstring_view version) {
    const std::wstring whole = UsageText(version);
    SetupLog console;
    for (std::size_t start = 0; start < whole.size();) {
        const std::size_t end = std::min(whole.find(L'\n', start), whole.size());
        console.Write(std::wstring_view(whole).substr(start, end - start));
        start = end + 1;
    }
    MessageBoxW(nullptr,
                (FitsWorkArea(whole) ? whole : UsageText(version, UsageDetail::Brief)).c_str(),
                L"portsetup", MB_OK | MB_ICONINFORMATION);
}

}  // namespace portsetup

// The window at the display's DPI: its client area and every control laid out from the stored
// design in twips, the labels fitted to their captions in the system's message font and ending at
// the lists, the window centred; a picture of it for a person to look at; and the names that
// assistive technology reads for the lists.
#include <oleacc.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <numeric>

#include "scenarios.h"
#include "window_picture.h"

namespace e2e {
namespace {

constexpr int kTolerance = 2;  // pixels of rounding between the design's twips and the screen

portsetup::PixelRect Scaled(const portsetup::PixelRect& rect, UINT dpi) {
    auto scale = [dpi](int value) { return (value * static_cast<int>(dpi) + 48) / 96; };
    return {scale(rect.left), scale(rect.top), scale(rect.width), scale(rect.height)};
}

bool Near(const RECT& actual, const portsetup::PixelRect& expected) {
    return std::abs(actual.left - expected.left) <= kTolerance &&
           std::abs(actual.top - expected.top) <= kTolerance &&
           std::abs(actual.right - (expected.left + expected.width)) <= kTolerance &&
           std::abs(actual.bottom - (expected.top + expected.height)) <= kTolerance;
}

// A 32-bit top-down bitmap selected into a memory DC compatible with `screen`, released with it.
struct Canvas {
    Canvas(HDC screen, int w, int h) : width(w), height(h), dc(CreateCompatibleDC(screen)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = SelectObject(dc, bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    std::vector<COLORREF> Pixels() const {
        GdiFlush();
        std::vector<COLORREF> pixels(static_cast<std::size_t>(width) * height);
        std::memcpy(pixels.data(), bits, pixels.size() * sizeof(COLORREF));
        return pixels;
    }

    int width;
    int height;
    HDC dc;
    HBITMAP bitmap = nullptr;
    void* bits = nullptr;
    HGDIOBJ old = nullptr;
};

class ScreenFont {
  public:
    explicit ScreenFont(UINT dpi) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                        dpi)) {
            throw Fatal("no message font for " + std::to_string(dpi) + " DPI");
        }
        std::printf("  message font at %u DPI: %s, height %ld\n", dpi,
                    Utf8(metrics.lfMessageFont.lfFaceName).c_str(), metrics.lfMessageFont.lfHeight);
        font_ = CreateFontIndirectW(&metrics.lfMessageFont);
        dc_ = GetDC(nullptr);
        old_ = SelectObject(dc_, font_);
        GetTextMetricsW(dc_, &metrics_);
    }
    ~ScreenFont() {
        SelectObject(dc_, old_);
        ReleaseDC(nullptr, dc_);
        DeleteObject(font_);
    }
    ScreenFont(const ScreenFont&) = delete;
    ScreenFont& operator=(const ScreenFont&) = delete;

    SIZE Measure(const std::wstring& text) const {
        SIZE size{};
        GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
        return size;
    }
    int Height() const { return metrics_.tmHeight; }

    // The pixels of text as a label of width by height draws it: right-aligned, centred from top
    // to bottom, in the system's colours for window text on a dialog's face.
    std::vector<COLORREF> Render(const std::wstring& text, int width, int height) const {
        const Canvas canvas(dc_, width, height);
        const HGDIOBJ oldFont = SelectObject(canvas.dc, font_);
        RECT rect{0, 0, width, height};
        FillRect(canvas.dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
        SetTextColor(canvas.dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkMode(canvas.dc, TRANSPARENT);
        DrawTextW(canvas.dc, text.c_str(), static_cast<int>(text.size()), &rect,
                  DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
        std::vector<COLORREF> pixels = canvas.Pixels();
        SelectObject(canvas.dc, oldFont);
        return pixels;
    }

    // The pixels the screen shows in rect (screen coordinates), in the same layout as Render's.
    std::vector<COLORREF> Grab(const RECT& rect) const {
        const Canvas canvas(dc_, rect.right - rect.left, rect.bottom - rect.top);
        BitBlt(canvas.dc, 0, 0, canvas.width, canvas.height, dc_, rect.left, rect.top, SRCCOPY);
        return canvas.Pixels();
    }

  private:
    HFONT font_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
    TEXTMETRICW metrics_{};
};

// The name a screen reader gets for the control, from the system's accessibility layer. The
// interface ID is taken with __uuidof: MinGW's import library binds IID_IAccessible to a code thunk
// rather than to oleacc's data.
std::optional<std::wstring> AccessibleName(HWND control) {
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&accessible))) ||
        accessible == nullptr) {
        return std::nullopt;
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    const HRESULT status = accessible->get_accName(self, &name);
    accessible->Release();
    if (status != S_OK || name == nullptr) {
        return std::nullopt;
    }
    std::wstring text(name, SysStringLen(name));
    SysFreeString(name);
    return text;
}

void ExpectLayout(Checks& checks, const ToolRun& run, UINT dpi) {
    const HWND window = run.Window();
    RECT client{};
    GetClientRect(window, &client);
    const portsetup::PixelRect designClient{
        0, 0, portsetup::TwipsToPixels(portsetup::kClientWidthTwips, dpi),
        portsetup::TwipsToPixels(portsetup::kClientHeightTwips, dpi)};
    const portsetup::PixelRect scaledClient =
        Scaled({0, 0, portsetup::TwipsToPixels(portsetup::kClientWidthTwips, 96),
                portsetup::TwipsToPixels(portsetup::kClientHeightTwips, 96)},
               dpi);
    checks.Expect(client.right == designClient.width && client.bottom == designClient.height,
                  "client area " + Describe(client) + " is the design's " + Describe(designClient) +
                      " at " + std::to_string(dpi) + " DPI");
    checks.Expect(
        Near(client, scaledClient),
        "client area " + Describe(client) + " is the 96-DPI one scaled, " + Describe(scaledClient));

    const ScreenFont font(dpi);
    for (int row = 0; row < portsetup::kControlCount; ++row) {
        const auto control = static_cast<Control>(row);
        const RECT actual = RectInClient(run.Item(ControlId(control)), window);
        const portsetup::PixelRect design = portsetup::ControlRect(control, dpi);
        const portsetup::PixelRect scaled = Scaled(portsetup::ControlRect(control, 96), dpi);
        if (control < portsetup::Label1_0) {
            checks.Expect(Near(actual, design), Name(control) + " at " + Describe(actual) +
                                                    ", the design places it at " +
                                                    Describe(design));
            checks.Expect(Near(actual, scaled), Name(control) + " at " + Describe(actual) +
                                                    ", its 96-DPI place scaled is " +
                                                    Describe(scaled));
            continue;
        }
        // A label: as wide and as tall as its caption in the message font, ending on its list.
        const std::size_t index = static_cast<std::size_t>(control - portsetup::Label1_0);
        const RECT list = RectInClient(run.Item(ControlId(portsetup::Combo1(index))), window);
        const SIZE text = font.Measure(kCaptions.at(control));
        checks.ExpectInt(actual.right, list.left, Name(control) + " ends at its list's left edge");
        checks.Expect(std::abs((actual.right - actual.left) - text.cx) <= 1,
                      Name(control) + " is " + std::to_string(actual.right - actual.left) +
                          " wide, its caption in the message font " + std::to_string(text.cx));
        checks.Expect(std::abs((actual.bottom - actual.top) - font.Height()) <= 1,
                      Name(control) + " is " + std::to_string(actual.bottom - actual.top) +
                          " high, the message font " + std::to_string(font.Height()));
        checks.Expect(std::abs(actual.top - design.top) <= kTolerance &&
                          std::abs(actual.top - scaled.top) <= kTolerance,
                      Name(control) + " top " + std::to_string(actual.top) + ", the design's " +
                          std::to_string(design.top) + ", its 96-DPI top scaled " +
                          std::to_string(scaled.top));
        // What the label shows is its caption drawn in that font: pixel for pixel.
        RECT onScreen{};
        GetWindowRect(run.Item(ControlId(control)), &onScreen);
        const auto shown = font.Grab(onScreen);
        const auto drawn = font.Render(kCaptions.at(control), onScreen.right - onScreen.left,
                                       onScreen.bottom - onScreen.top);
        const auto differing = std::inner_product(
            shown.begin(), shown.end(), drawn.begin(), std::size_t{0}, std::plus<>(),
            [](COLORREF a, COLORREF b) { return (a & 0xFFFFFF) != (b & 0xFFFFFF) ? 1 : 0; });
        checks.Expect(differing == 0, Name(control) +
                                          " shows its caption as the message font draws "
                                          "it; " +
                                          std::to_string(differing) + " of " +
                                          std::to_string(shown.size()) + " pixels differ");
        checks.Expect(std::abs(actual.right - (scaled.left + scaled.width)) <= kTolerance,
                      Name(control) + " right edge " + std::to_string(actual.right) +
                          ", its 96-DPI right edge scaled " +
                          std::to_string(scaled.left + scaled.width));
    }

    RECT outer{};
    GetWindowRect(window, &outer);
    const int centredLeft = (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2;
    const int centredTop = (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2;
    checks.Expect(std::abs(outer.left - centredLeft) <= 1 && std::abs(outer.top - centredTop) <= 1,
                  "window centred: outer rectangle " + Describe(outer) + ", centred left/top " +
                      std::to_string(centredLeft) + "," + std::to_string(centredTop));
}

// Each list is named by its label: the label stands right before the list in the window order,
// where the system's accessibility layer looks for a list's name. Wine's layer does not look there
// (it names a list by the text of its picked entry), so what it gives is only shown.
void ExpectListNames(Checks& checks, const ToolRun& run) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (std::size_t index = 0; index < 5; ++index) {
        const HWND combo = run.Item(ControlId(portsetup::Combo1(index)));
        const std::wstring& caption = kCaptions.at(portsetup::Label1(index));
        const HWND before = GetWindow(combo, GW_HWNDPREV);
        checks.Expect(before == run.Item(ControlId(portsetup::Label1(index))) &&
                          _wcsicmp(ClassOf(before).c_str(), L"Static") == 0 &&
                          TextOf(before) == caption,
                      "the window before " + Name(portsetup::Combo1(index)) + " is its label " +
                          Show(caption) + "; it is " + Name(before) + " " + Show(TextOf(before)));
        const std::optional<std::wstring> name = AccessibleName(combo);
        std::printf("  accessible name of %s: %s\n", Name(portsetup::Combo1(index)).c_str(),
                    name ? Show(*name).c_str() : "(none)");
    }
}

int Layout(const Options& options, UINT dpi) {
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    const unsigned long long traceStart = FileSize(options.trace);
    ToolRun run(options.exe);
    const UINT actual = GetDpiForWindow(run.Window());
    if (actual != dpi) {
        throw Fatal("the window is at " + std::to_string(actual) + " DPI, not " +
                    std::to_string(dpi) + ": the prefix's DPI setting did not take");
    }
    if (!options.out.empty()) {
        const std::wstring picture = options.out + L"\\" + options.scenario + L".png";
        SaveWindowPicture(run.Window(), picture);
        std::printf("  picture: %s\n", Utf8(picture).c_str());
    }
    ExpectLayout(checks, run, dpi);
    ExpectListNames(checks, run);

    PostClose(run.Window());
    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 0, "exit code after closing");
    ExpectNothingLaunched(checks, result);
    ExpectPorts(checks, before, {});
    return checks.Failures();
}

}  // namespace

int LayoutAt96(const Options& options) {
    return Layout(options, 96);
}

int LayoutAt144(const Options& options) {
    return Layout(options, 144);
}

}  // namespace e2e

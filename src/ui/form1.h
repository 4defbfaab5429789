// The "Select Port Type" window: the tool's only window. Its load fills the setting lists and
// shows it centred; Next, Delete and a close by the window system each end the tool.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "actions/win32_handles.h"
#include "model/exit_codes.h"
#include "model/port_selection.h"
#include "model/setting_lists.h"
#include "ui/form1_design.h"

namespace portsetup {

class Form1 {
  public:
    // Creates, loads and shows the window, then runs the message loop until the window unloads.
    // Returns the process exit code.
    static int ShowDialog(HINSTANCE instance);

  private:
    explicit Form1(HINSTANCE instance) : instance_(instance) {}

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int notification);
    void ReportFailure() noexcept;

    void LayOut(UINT dpi);
    void Form_Load();
    void Unload();

    void Option1_Click(std::size_t index);
    void Option2_Click(std::size_t index);
    void Command1_Click();
    // Ends Next before anything is started or stored, saying why.
    void RefuseNext(const std::wstring& text);
    void cmdDelete_Click();

    void InitSettingLists();
    void SavePortSettings();
    void ShowSelection();
    SettingListTexts ListTexts() const;
    HWND Item(Control control) const { return controls_[control]; }

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    std::array<HWND, kControlCount> controls_{};
    UniqueHfont font_;
    UniqueHicon bigIcon_;
    UniqueHicon smallIcon_;
    PortSelection selection_;
    const wchar_t* failureContext_ = nullptr;  // what the running flow was doing, for its report
    bool movingFocus_ = false;
    int exitCode_ = kExitDone;
};

}  // namespace portsetup

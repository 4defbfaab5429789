// The keyboard as an operator uses it: Tab and Shift+Tab walk the controls without choosing a
// port, the arrow keys choose within an option group and run the same rules as a click, and
// Escape leaves with nothing done.
#include <cstdio>

#include "scenarios.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

enum class Key { Tab, ShiftTab, Up, Down, Left, Right };

const char* KeyName(Key key) {
    switch (key) {
        case Key::Tab:
            return "Tab";
        case Key::ShiftTab:
            return "Shift+Tab";
        case Key::Up:
            return "Up";
        case Key::Down:
            return "Down";
        case Key::Left:
            return "Left";
        case Key::Right:
            return "Right";
    }
    return "?";
}

void Press(Key key) {
    switch (key) {
        case Key::Tab:
            PressKey(VK_TAB);
            break;
        case Key::ShiftTab:
            PressShiftKey(VK_TAB);
            break;
        case Key::Up:
            PressKey(VK_UP);
            break;
        case Key::Down:
            PressKey(VK_DOWN);
            break;
        case Key::Left:
            PressKey(VK_LEFT);
            break;
        case Key::Right:
            PressKey(VK_RIGHT);
            break;
    }
}

struct Step {
    Key key;
    Control focus;   // where the key must move the focus
    Control chosen;  // the port chosen afterwards
};

// Presses each step's key and expects the focus where the step says and the selection (options
// and the properties' enabling) of the step's port. Stops at the first focus that went astray,
// since every later step would fail for that one reason.
bool Walk(Checks& checks, const ToolRun& run, const std::vector<Step>& steps) {
    std::string walked = " " + Name(run.Focus());
    for (const Step& step : steps) {
        const HWND from = run.Focus();
        Press(step.key);
        const bool moved = WaitForFocus(run, run.Item(ControlId(step.focus)));
        walked += std::string(" -") + KeyName(step.key) + "-> " + Name(run.Focus());
        if (!checks.Expect(moved, std::string(KeyName(step.key)) + " from " + Name(from) +
                                      " moves the focus to " + Name(step.focus) + "; it is on " +
                                      Name(run.Focus()))) {
            std::printf("  keys so far:%s\n", walked.c_str());
            return false;
        }
        const int failures = checks.Failures();
        ExpectSelection(checks, run, step.chosen);
        if (checks.Failures() != failures) {
            std::printf("  ...after %s to %s, with %s expected chosen\n", KeyName(step.key),
                        Name(step.focus).c_str(), Name(step.chosen).c_str());
        }
    }
    std::printf("  keys:%s\n", walked.c_str());
    return true;
}

// Starts the tool, chooses port with a click and puts the focus back on Next.
void ChooseAndFocusNext(ToolRun& run, Control port) {
    EnsureForeground(run);
    Click(run.Item(ControlId(port)));
    SetFocusOf(run.ThreadId(), run.Item(ControlId(portsetup::Command1)));
}

// Enter on the focused control presses Next; the install must be for port and store its settings.
void ExpectEnterInstalls(Checks& checks, ToolRun& run, const Options& options,
                         unsigned long long traceStart, const RegistryValues& before,
                         const std::wstring& port,
                         const std::map<std::wstring, std::wstring>& written) {
    PressKey(VK_RETURN);
    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 0, "exit code after Enter");
    ExpectInstall(checks, result, InfBeside(options.exe), port);
    ExpectPorts(checks, before, written);
}

}  // namespace

// Tab and Shift+Tab, all the way round from Next and back, with COM3 chosen and with LPT2 chosen:
// the focus visits the focus-taking controls in tab order (in each option group the chosen
// option, or the first when none there is chosen; the lists only while enabled), and no press
// changes the chosen port or the properties' enabling. Enter then installs on the port chosen.
int KeysTabOrder(const Options& options) {
    using namespace portsetup;
    Checks checks;
    struct Round {
        Control chosen;
        std::vector<Control> forward;  // from Next round to Next
        const wchar_t* port;
        std::map<std::wstring, std::wstring> written;
    };
    const std::vector<Round> rounds{
        {Option1_2,
         {cmdDelete, Option1_2, Option2_0, Combo1_0, Combo1_1, Combo1_2, Combo1_3, Combo1_4,
          Command1},
         L"COM3:",
         {{L"COM3:", L"9600,n,8,1"}}},
        {Option2_1, {cmdDelete, Option1_0, Option2_1, Command1}, L"LPT2:", {}},
    };
    for (const Round& round : rounds) {
        std::printf("Tab round with %s chosen\n", Name(round.chosen).c_str());
        const RegistryValues before = PlantPortSentinels();
        const unsigned long long traceStart = FileSize(options.trace);
        ToolRun run(options.exe);
        ChooseAndFocusNext(run, round.chosen);
        std::vector<Step> steps;
        for (const Control control : round.forward) {
            steps.push_back({Key::Tab, control, round.chosen});
        }
        // Shift+Tab visits the same controls the other way round, and ends on Next again.
        for (auto control = round.forward.rbegin() + 1; control != round.forward.rend();
             ++control) {
            steps.push_back({Key::ShiftTab, *control, round.chosen});
        }
        steps.push_back({Key::ShiftTab, Command1, round.chosen});
        if (!Walk(checks, run, steps)) {
            continue;
        }
        ExpectEnterInstalls(checks, run, options, traceStart, before, round.port, round.written);
    }
    return checks.Failures();
}

// The arrow keys inside each option group choose the option they move to and run the rules of a
// click: an LPT option chosen by an arrow clears the COM options and disables the properties, a
// COM option chosen by an arrow clears the LPT options and enables them. Enter then installs on
// the port the arrows chose and stores its settings.
int KeysArrowRules(const Options& options) {
    using namespace portsetup;
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    const unsigned long long traceStart = FileSize(options.trace);
    ToolRun run(options.exe);
    ChooseAndFocusNext(run, Option1_2);
    const std::vector<Step> steps{
        {Key::Tab, cmdDelete, Option1_2},
        {Key::Tab, Option1_2, Option1_2},
        {Key::Tab, Option2_0, Option1_2},  // the focus alone chooses nothing
        {Key::Down, Option2_1, Option2_1},
        {Key::Up, Option2_0, Option2_0},
        {Key::ShiftTab, Option1_0, Option2_0},
        {Key::Down, Option1_1, Option1_1},
        {Key::Right, Option1_2, Option1_2},
        {Key::Tab, Option2_0, Option1_2},
        {Key::Right, Option2_1, Option2_1},
        {Key::Left, Option2_0, Option2_0},
        {Key::ShiftTab, Option1_0, Option2_0},
        {Key::Left, Option1_3, Option1_3},  // round the group's end
    };
    if (Walk(checks, run, steps)) {
        ExpectEnterInstalls(checks, run, options, traceStart, before, L"COM4:",
                            {{L"COM4:", L"9600,n,8,1"}});
    }
    return checks.Failures();
}

// Escape leaves as the close box does: nothing launched, nothing stored, exit code 0. With a list
// dropped down, the first Escape only folds the list up; the second leaves.
int KeysEscape(const Options& options) {
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    for (const bool listOpen : {false, true}) {
        std::printf("Escape with %s\n", listOpen ? "a list dropped down" : "COM2 and picks made");
        const unsigned long long traceStart = FileSize(options.trace);
        ToolRun run(options.exe);
        EnsureForeground(run);
        Click(run.Item(ControlId(portsetup::Option1_1)));
        PickEntries(run, {L"19200", nullptr, L"Odd", nullptr, L"Hardware"});
        if (listOpen) {
            const HWND parity = run.Item(ControlId(portsetup::Combo1_2));
            SetFocusOf(run.ThreadId(), parity);
            PressKey(VK_F4);
            if (!checks.Expect(WaitUntil([&] { return IsDroppedDown(parity); }, kInputTimeout),
                               "F4 drops the parity list down")) {
                continue;
            }
            PressKey(VK_ESCAPE);
            if (!checks.Expect(!run.EndsWithin(500ms),
                               "the window stays after the Escape that folds the list up")) {
                continue;
            }
            checks.Expect(WaitUntil([&] { return !IsDroppedDown(parity); }, kInputTimeout),
                          "Escape folds the list up");
            checks.ExpectInt(CurrentSelection(parity), IndexOf(kParity, L"Odd"),
                             "the parity pick after the list folded up");
        }
        PressKey(VK_ESCAPE);
        const RunResult result = FinishRun(checks, run, options, traceStart);
        checks.ExpectInt(result.exitCode, 0, "exit code after Escape");
        ExpectNothingLaunched(checks, result);
        ExpectPorts(checks, before, {});
    }
    return checks.Failures();
}

}  // namespace e2e

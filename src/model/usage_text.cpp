#include "model/usage_text.h"

#include "model/exit_codes.h"
#include "model/setting_lists.h"
#include "model/settings_string.h"
#include "model/text.h"

namespace portsetup {

std::wstring UsageText(std::wstring_view version, UsageDetail detail) {
    const bool whole = detail == UsageDetail::Whole;
    std::wstring text =
        Concat({L"portsetup ", version,
                L"\n\n"
                L"portsetup.exe\n"
                L"    Opens the \"Select Port Type\" dialog.\n\n"
                L"portsetup.exe /install PORT [/name QUEUE] [/settings SETTINGS] "
                L"[/timeout SECONDS] [/log FILE]\n"
                L"    Sets up the printer on PORT with nobody at the screen, checks that\n"
                L"    the system shows it there, then stores a COM port's settings.\n"
                L"    PORT: COM1 to COM256, LPT1 to LPT3, USBnnn.\n"
                L"portsetup.exe /install /device ID [/name QUEUE] [/settings SETTINGS] ...\n"
                L"    The same on the port of the one present printer or serial adapter\n"
                L"    whose hardware ID or instance ID contains ID.\n"
                L"    SETTINGS (COM ports only): BAUD,PARITY,DATA,STOP[,FLOW], by default ",
                ComposeSettingsString(DefaultListTexts()), L".\n"});
    text += whole ? SettingsFieldsText(L"        ") : L"";
    text += L"\n";
    text +=
        L"portsetup.exe /remove [/name QUEUE] [/timeout SECONDS] [/log FILE]\n"
        L"    Removes the printer, and its driver when no other printer uses it, and\n"
        L"    checks that they are gone.\n\n"
        L"portsetup.exe /check PORT [/settings SETTINGS] [/log FILE]\n"
        L"    Asks the printer on a COM or USB port for its state, at SETTINGS or\n"
        L"    else the port's stored settings. /device ID goes in place of PORT.\n"
        L"portsetup.exe /detect PORT [/log FILE]\n"
        L"    Finds the printer's speed (8 data bits, no parity, 1 stop bit), then\n"
        L"    checks it.\n\n"
        L"/name QUEUE names the printer's queue (by default the model's name), so that\n"
        L"    each printer of the model gets a queue of its own.\n"
        L"/install ... /settings detect[,x|,p] sets the printer up at the speed found;\n"
        L"/install ... /check checks the printer once it is set up.\n"
        L"/timeout SECONDS stops a set-up command, and all it started, after that long\n"
        L"    (default 600).\n"
        L"/log FILE appends what the run did to FILE.\n\n";
    if (!whole) {
        return text +
               L"The whole text, with each setting's values and every exit code, is in\n"
               L"README.txt, and goes to the command prompt that runs portsetup.exe /?.";
    }
    text += L"Exit codes:\n";
    for (const ExitCodeMeaning& exit : kExitCodeMeanings) {
        text += Concat({L"    ", DecimalText(static_cast<unsigned long>(exit.code)), L"  ",
                        exit.unattended, exit.dialog.empty() ? L"" : L"; after the dialog: ",
                        exit.dialog, L"\n"});
    }
    return text;
}

}  // namespace portsetup

// A test program that shows the wizard pages with a sample product's settings, so that the Wine
// tests can drive each page with the keyboard and the mouse and take screenshots of every layout
// variant, without an installation behind them.
//
// usage: wizard-walk.exe /out:FILE [/variant:N] [/pages:a,b,...] [/flags:HEX] [/flags2:HEX]
//        [/folder:PATH] [/automatic] [/silent] [/uninstaller]
// Pages: language greeting password licence readme folder choosefolder startmenu progress finish
// mustuninstall supportoffer. FILE receives one line per page with its result, then the choices
// (folder, Start-menu name, language, finish ticks).
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/exit.h"
#include "app/program_win.h"
#include "app/run_mode.h"
#include "core/codepage.h"
#include "core/wide_win.h"
#include "install/progress.h"
#include "pack/default_language.h"
#include "setupdata/path_variables.h"
#include "setupdata/language.h"
#include "setupdata/settings.h"
#include "setupdata/settings_flags.h"
#include "setupdata/path_variables.h"
#include "wizard/pages.h"
#include "wizard/wizard_flags.h"

namespace {

std::wstring g_outPath;

void Record(const std::string &line)
{
    HANDLE file = CreateFileW(g_outPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Utf8(const String &wide)
{
    String bytes;
    CodePageFromWide(wide, kCodePageUtf8, "?", bytes);
    return std::string(bytes.Bytes(), size_t(bytes.Length()));
}

String Wide(const char *utf8)
{
    String wide;
    CodePageToWide(utf8, static_cast<int32_t>(strlen(utf8)), kCodePageUtf8, wide);
    return wide;
}

// German texts for the rows the first pages show, so that a language change is visible.
const struct {
    int row;
    const char *text;
} kGerman[] = {
    {0, "<product> Installation"}, {1, "Willkommen bei der Installation von <product>."},
    {48, "&Weiter >"}, {49, "Abbrechen"}, {65, "<product> Installation"},
    {82, "Bitte w\xC3\xA4hlen Sie die Sprache der Installation:"}, {94, "Sprache"},
    {103, "Willkommen"},
};

void FillLanguages()
{
    LanguageTable &table = g_settings.Languages;
    table.names = {String(u"English"), String(u"Deutsch")};
    int count = 0;
    const LanguageRowText *rows = DefaultLanguageRows(&count);
    table.rows.assign(120, std::vector<String>(2));
    for (int i = 0; i < count; ++i) {
        table.rows[size_t(rows[i].row)][0] = Wide(rows[i].text);
        table.rows[size_t(rows[i].row)][1] = Wide(rows[i].text);
    }
    for (const auto &g : kGerman)
        table.rows[size_t(g.row)][1] = Wide(g.text);
    SetActiveLanguage(table, 0);
}

const char kLicence[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Tahoma;}}\\f0\\fs18 {\\b Kestrival Sample Licence}\\par\\par "
    "You may use this {\\i sample} on any number of computers.\\par\\par "
    "More: https://example.org/licence\\par}";
const char kReadme[] = "Kestrival Sample 2.0\nRelease notes for <product>.\n\nLine three of the readme.\n";

void ExpandPlaceholders(String &wide)
{
    CopySettingsToPathState(g_settings, InstallationPathState());
    ExpandProductPlaceholders(wide);
}

void FillSettings(int variant, uint64_t flags, uint32_t flags2, const String &folder)
{
    g_settings.ProductFlags = flags;
    g_settings.ProductFlags2 = flags2;
    g_settings.DisplayName = String(u"Kestrival Sample");
    g_settings.ProductDescription = g_settings.DisplayName;
    g_settings.DisplayVersion = String("2.0");
    g_settings.DisplayVersionWide = String(u"2.0");
    g_settings.InstallFolder = folder;
    g_settings.ProductStartMenu = String(u"Kestrival Sample");
    g_settings.InstallPassword = String("Kestrel-7");
    g_settings.GreetingLink = String("https://example.org/kestrival");
    g_settings.BannerHeadline = String(u"Kestrival Sample 2.0");
    g_settings.ProgressWindowPosition = 3 | 24;
    g_settings.PictureFrameStyle = 1;
    g_settings.DialogVariants.fill(variant);
    FillLanguages();
    CopySettingsToPathState(g_settings, InstallationPathState());
    SetRunLanguage(&g_settings.Languages, ExpandPlaceholders);
}

void RunProgress()
{
    OpenProgressPage();
    Record(ProgressPageWindow() ? "progress open" : "progress none");
    const int rows[] = {113, 29, 26, 32, 36};
    for (int step = 0; step <= 100; ++step) {
        if (step % 20 == 0)
            ProgressStatusRow(rows[step / 20 < 5 ? step / 20 : 4]);
        ProgressPosition(step);
        // Long enough for a screenshot and a key press in the middle of it.
        const DWORD until = GetTickCount() + 60;
        while (GetTickCount() < until) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            Sleep(10);
        }
    }
    CurrentProgressPage().Close();
    Record("progress closed");
}

void RunPage(const std::string &page)
{
    if (page == "language")
        Record("language " + std::to_string(ShowLanguagePage()));
    else if (page == "greeting")
        Record("greeting " + std::to_string(ShowGreetingPage(nullptr, LanguageString(65), LanguageString(1),
                                                               g_settings.DialogVariants[kVariantGreeting])));
    else if (page == "password")
        Record("password " + std::to_string(ShowPasswordPage()));
    else if (page == "licence")
        Record("licence " + std::to_string(ShowLicencePage(String(kLicence))));
    else if (page == "readme")
        Record("readme " + std::to_string(ShowReadmePage(String(kReadme))));
    else if (page == "folder")
        Record("folder " + std::to_string(ShowFolderPage()));
    else if (page == "choosefolder")
        Record("choosefolder " + std::to_string(ChooseInstallFolder(false)));
    else if (page == "startmenu")
        Record("startmenu " + std::to_string(ShowStartMenuPage()));
    else if (page == "progress")
        RunProgress();
    else if (page == "finish") {
        FinishOffers offers;
        offers.launchApplication = offers.openFile = offers.openSecondFile = offers.viewLog = true;
        Record("finish " + std::to_string(ShowFinishPage(offers)));
    } else if (page == "finishlog") {
        FinishOffers offers;
        offers.viewLog = true;
        Record("finish " + std::to_string(ShowFinishPage(offers)));
    } else if (page == "mustuninstall")
        Record("mustuninstall " + std::to_string(ShowMustUninstall()));
    else if (page == "supportoffer")
        Record("supportoffer " + std::to_string(ShowSupportOffer()));
    else
        Record("unknown " + page);
}

std::string Narrow(const std::wstring &text) { return Utf8(String(FromWide(text.c_str()))); }

// The keyboard view of each dialog once it has settled (its own timers run first): the control
// with the focus and the Tab order from there, as "keys <caption>: <focus> | <id> <id> ...".
constexpr UINT_PTR kKeyReportTimer = 0x5157;
HHOOK g_cbtHook = nullptr;

void CALLBACK ReportKeys(HWND dialog, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(dialog, timer);
    wchar_t caption[256] = L"";
    GetWindowTextW(dialog, caption, 256);
    HWND focus = GetFocus();
    std::string line = "keys " + Narrow(caption) + ": " +
                       std::to_string(focus && IsChild(dialog, focus) ? GetDlgCtrlID(focus) : 0) + " |";
    HWND start = GetNextDlgTabItem(dialog, nullptr, FALSE);
    HWND item = start;
    for (int i = 0; item && i < 20; ++i) {
        line += " " + std::to_string(GetDlgCtrlID(item));
        item = GetNextDlgTabItem(dialog, item, FALSE);
        if (item == start)
            break;
    }
    Record(line);
}

LRESULT CALLBACK WatchDialogs(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = L"";
        if (GetClassNameW(window, className, 16) && wcscmp(className, L"#32770") == 0)
            SetTimer(window, kKeyReportTimer, 800, ReportKeys);
    }
    return CallNextHookEx(g_cbtHook, code, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    LoadProgramResources(instance);
    int variant = 1;
    uint64_t flags = ProductFlag::FolderPage | ProductFlag::StartMenuPage | ProductFlag::ProgressWindow;
    uint32_t flags2 = WizardFlag2::LaunchTicked;
    std::vector<std::string> pages;
    String folder(u"C:\\Program Files\\Kestrival Sample");
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i < argc; ++i) {
        const std::wstring arg = argv[i];
        auto value = [&](const wchar_t *name) { return arg.rfind(name, 0) == 0 ? arg.substr(wcslen(name)) : L"\x1"; };
        if (value(L"/out:") != L"\x1")
            g_outPath = value(L"/out:");
        else if (value(L"/variant:") != L"\x1")
            variant = _wtoi(value(L"/variant:").c_str());
        else if (value(L"/flags:") != L"\x1")
            flags = wcstoull(value(L"/flags:").c_str(), nullptr, 16);
        else if (value(L"/flags2:") != L"\x1")
            flags2 = static_cast<uint32_t>(wcstoul(value(L"/flags2:").c_str(), nullptr, 16));
        else if (value(L"/folder:") != L"\x1")
            folder = String(FromWide(value(L"/folder:").c_str()));
        else if (arg == L"/automatic")
            g_runMode.automatic = true;
        else if (arg == L"/silent")
            g_runMode.silent = g_runMode.automatic = true;
        else if (arg == L"/uninstaller")
            g_runMode.uninstall = true;
        else if (value(L"/pages:") != L"\x1") {
            std::string list = Narrow(value(L"/pages:")) + ",";
            for (size_t at = 0, comma; (comma = list.find(',', at)) != std::string::npos; at = comma + 1)
                if (comma > at)
                    pages.push_back(list.substr(at, comma - at));
        }
    }
    FillSettings(variant, flags, flags2, folder);
    g_cbtHook = SetWindowsHookExW(WH_CBT, WatchDialogs, nullptr, GetCurrentThreadId());
    for (const std::string &page : pages)
        RunPage(page);
    Record("chosen folder " + Utf8(g_settings.InstallFolder));
    Record("chosen startmenu " + Utf8(g_settings.ProductStartMenu));
    Record("chosen language " + std::to_string(g_settings.Languages.active));
    Record("chosen finish " + std::to_string(g_finishChoices.launchApplication) + std::to_string(g_finishChoices.openFile) +
           std::to_string(g_finishChoices.openSecondFile) + std::to_string(g_finishChoices.viewLog));
    ExitInstaller(0);
}

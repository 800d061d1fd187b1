#include "install/install_log_finish.h"

#include <windows.h>

#include "core/codepage.h"
#include "core/file_win.h"
#include "core/local_time_win.h"
#include "install/install_log.h"
#include "install/install_log_body.h"
#include "install/install_log_format.h"
#include "install/side_effects.h"
#include "setupdata/language.h"
#include "setupdata/path_variables.h"
#include "setupdata/settings.h"

namespace {

constexpr uint64_t kUninstallSupport = 0x4;
constexpr uint64_t kWriteLog = 0x40;
constexpr uint64_t kRestartNeeded = 0x4000;
constexpr uint64_t kNoOutcomeMessage = 0x400000;
constexpr uint64_t kOfferViewLog = 0x200000000000000;

constexpr int kFailedQuestionRow = 40;
constexpr int kFailedCaptionRow = 41;
constexpr int kCompletedTextRow = 42;
constexpr int kCompletedCaptionRow = 43;

InstallLogContext g_context;

bool Ask(const String &text, const String &caption)
{
    return g_context.hooks.askYesNo ? g_context.hooks.askYesNo(text, caption) : true;
}

// Steps 4 to 11 of finishing: false when the file could not be opened or written.
bool AppendToLogFile(const String &path, const String &summary, bool reinstall)
{
    const Settings &s = *g_context.settings;
    File log;
    if (log.Open(path, FileCreation::OpenAlways, FileReadAccess | FileWriteAccess) != 0)
        return false;
    int64_t size = log.Size();
    if (size < 0)
        return false;
    if (size > 0) {
        // An old 8-bit log is converted once, so that the whole file is UTF-8 after the mark.
        String head;
        head.Resize(3);
        if (size < 3 || !log.Read(head.MutableBytes(), 3) || !head.StartsWith(kLogByteOrderMark)) {
            String bytes;
            if (size >= 0x7FFFFFFF || !bytes.TryResize(static_cast<int32_t>(size)) || !log.Seek(0) ||
                !log.Read(bytes.MutableBytes(), static_cast<int32_t>(size)))
                return false;
            if (UpgradeOldLog(bytes)) {
                if (!log.Seek(0) || !log.Write(bytes.Bytes(), bytes.Length()) || !log.SetEnd())
                    return false;
            }
        }
    }
    if (!log.Seek(0, FILE_END))
        return false;
    const char *lead = LogLead(size == 0);
    String out(lead);

    LogHeader header;
    header.productName = s.DisplayName;
    header.installDate = LocalDateTimeNow();
    header.uninstallSupport = (s.ProductFlags & kUninstallSupport) != 0;
    header.reinstall = reinstall;
    header.installLocation = s.InstallFolder;
    header.productVersion = s.DisplayVersionWide;
    header.oldVersion = InstallationPathState().oldVersion;
    header.operatingSystem = g_context.operatingSystem;
    const String headerWide = BuildLogHeader(header);
    out.Append(LogUtf8FromWide(headerWide.Wide(), headerWide.WideLength()));
    bool ok = log.Write(out.Bytes(), out.Length());
    ok = ok && CopyLogBody(log);
    String tail("\r\n");
    if (!summary.Empty()) {
        tail.Append(kFailureSummaryHeading);
        tail.Append(LogUtf8FromCodePage(summary.Bytes(), summary.Length(), kCodePageAnsi));
    } else {
        const String done = LanguageString(kCompletedCaptionRow);
        tail.Append(LogUtf8FromWide(done.Wide(), done.WideLength())).Append("\r\n");
    }
    ok = ok && log.Write(tail.Bytes(), tail.Length());
    log.Close();
    return ok;
}

} // namespace

void SetInstallLogContext(const InstallLogContext &context) { g_context = context; }
InstallLogContext &CurrentInstallLogContext() { return g_context; }

String InstallLogPath()
{
    const Settings &s = *g_context.settings;
    return JoinPath(JoinPath(s.InstallFolder, s.UninstallSubdir), String(kLogFileName));
}

void FinishInstallLog(const String &summary, bool reinstall, bool interactive)
{
    if (!g_context.settings) {
        DiscardLogBody();
        return;
    }
    Settings &s = const_cast<Settings &>(*g_context.settings);
    const String path = InstallLogPath();
    const bool failed = !summary.Empty();
    bool view = false;
    if (interactive && !g_context.automatic) {
        if (failed) {
            const String question = String::FormatWide(LanguageString(kFailedQuestionRow).Wide(), path.Wide());
            view = Ask(question, LanguageString(kFailedCaptionRow));
        } else if (!(s.ProductFlags & kNoOutcomeMessage)) {
            if (!(s.ProductFlags & kWriteLog))
                s.ProductFlags &= ~kOfferViewLog;   // there will be no log to offer
            const bool nothingOffered = !g_context.finishOpenFile && !g_context.finishLaunchApp &&
                                        !g_context.finishOpenSecondFile && !(s.ProductFlags & kOfferViewLog);
            if ((s.ProductFlags & kRestartNeeded) || nothingOffered) {
                if (g_context.hooks.showInformation)
                    g_context.hooks.showInformation(LanguageString(kCompletedTextRow),
                                                    LanguageString(kCompletedCaptionRow));
            } else if (g_context.hooks.showFinishPage) {
                g_context.hooks.showFinishPage();
            }
        }
    }
    if (failed || (s.ProductFlags & kWriteLog)) {
        if (!AppendToLogFile(path, summary, reinstall))
            view = false;   // nothing to open; the question was asked already
    }
    if (view)
        ViewInstallLog();
    DiscardLogBody();
}

void ViewInstallLog()
{
    const String path = InstallLogPath();
    if (InstallSideEffects().shellOpen(path, String(), g_context.installerFolder, false))
        return;
    ProgramStart start;
    start.commandLine = String(u"notepad.exe \"").Append(path).AppendWide(u"\"");
    (void)InstallSideEffects().startProgram(start);
}

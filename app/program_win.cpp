#include "app/program_win.h"

#include "core/wide_win.h"
#include "res/resource.h"

ProgramResources g_program;

namespace {

HICON LoadProgramIcon(HINSTANCE instance, int widthMetric, int heightMetric)
{
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric),
                                         LR_DEFAULTCOLOR));
}

} // namespace

void LoadProgramResources(HINSTANCE instance)
{
    g_program.instance = instance;
    g_program.smallIcon = LoadProgramIcon(instance, SM_CXSMICON, SM_CYSMICON);
    g_program.largeIcon = LoadProgramIcon(instance, SM_CXICON, SM_CYICON);
}

String ProgramPath()
{
    // 1,024 characters hold every ordinary path; a longer one (\\?\ paths) gets a larger buffer
    // rather than a truncated name.
    String path;
    for (DWORD units = 1024; units <= 32768; units *= 2) {
        path.Resize(static_cast<int32_t>(units * 2));
        const DWORD got = GetModuleFileNameW(nullptr, AsWide(path.MutableWide()), units);
        if (got == 0) {
            path.Clear();
            return path;
        }
        if (got < units) {
            path.Resize(static_cast<int32_t>(got * 2));
            return path;
        }
    }
    path.Clear();
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return path;
}

String ProgramFileName()
{
    const String path = ProgramPath();
    const char16_t *text = path.Wide();
    int32_t start = 0;
    for (int32_t i = 0; i < path.WideLength(); ++i)
        if (text[i] == u'\\' || text[i] == u'/')
            start = i + 1;
    return String(text + start, path.WideLength() - start);
}

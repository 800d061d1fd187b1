#include "install/install_log_body.h"

#include <windows.h>

#include "core/file_win.h"
#include "core/path_win.h"
#include "install/install_log.h"

namespace {

File g_body;
String g_bodyPath;

void WriteToBody(const char *bytes, int32_t length)
{
    // A failed write into the body is ignored: the installation must not stop for its log.
    (void)g_body.Write(bytes, length);
}

} // namespace

bool OpenLogBody()
{
    DiscardLogBody();
    const String folder = TempFolderPath();
    if (folder.Empty())
        return false;
    // A generated name that no other run uses: process id and tick count, with a counter for the
    // rare collision. CreateNew never takes over someone else's file. (GetTempFileNameW would cut
    // a temporary folder longer than MAX_PATH.)
    const DWORD process = GetCurrentProcessId();
    const DWORD tick = GetTickCount();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const String nameText = String::FormatWide(u"ksl%lx_%lx_%u.tmp", static_cast<unsigned long>(process),
                                                   static_cast<unsigned long>(tick), attempt);
        String path = folder;
        if (!path.Empty() && path.Wide()[path.WideLength() - 1] != u'\\')
            path.AppendWideChar(u'\\');
        path.Append(nameText);
        const int code = g_body.Open(path, FileCreation::CreateNew,
                                     FileReadAccess | FileWriteAccess | FileShareRead | FileNoSharingRetry);
        if (code == 0) {
            g_bodyPath = path;
            SetLogBodySink(WriteToBody);
            return true;
        }
        if (code != 10)   // anything but "The file already exists." will not pass on a new name
            return false;
    }
    return false;
}

bool CopyLogBody(File &to)
{
    if (!g_body.IsOpen())
        return false;
    const int64_t size = g_body.Size();
    if (size < 0 || !g_body.Seek(0))
        return false;
    String buffer;
    buffer.Resize(1 << 16);
    int64_t left = size;
    bool ok = true;
    while (left > 0 && ok) {
        const int32_t piece = left < buffer.Length() ? static_cast<int32_t>(left) : buffer.Length();
        ok = g_body.Read(buffer.MutableBytes(), piece) && to.Write(buffer.Bytes(), piece);
        left -= piece;
    }
    (void)g_body.Seek(0, FILE_END);   // later writes (a crash report) still append
    return ok;
}

void DiscardLogBody()
{
    SetLogBodySink(nullptr);
    if (g_body.IsOpen())
        g_body.Close();
    if (!g_bodyPath.Empty()) {
        // The file is ours and only temporary; a failed delete leaves it to the temp-folder clean-up.
        (void)DeleteFileW(reinterpret_cast<const wchar_t *>(g_bodyPath.Wide()));
        g_bodyPath.Clear();
    }
}

#include "core/crash_send_win.h"

#include <winhttp.h>

#include "core/codepage.h"
#include "core/system_library_win.h"
#include "core/wide_win.h"

namespace {

// Each network phase gives up after this long, and the caller after its own wait: without a
// network, name resolution fails at once or within the first limit.
constexpr int kPhaseTimeoutMs = 8000;

struct Job {
    String url;        // wide
    String form;       // 8-bit
    volatile LONG succeeded = 0;
    volatile LONG released = 0;   // the second of caller and thread to finish frees the job
};

template <typename F>
F Http(const char *name)
{
    return GetSystemFunctionAs<F>(L"winhttp.dll", name);
}

bool Post(const Job &job)
{
    auto crack = Http<decltype(&WinHttpCrackUrl)>("WinHttpCrackUrl");
    auto open = Http<decltype(&WinHttpOpen)>("WinHttpOpen");
    auto timeouts = Http<decltype(&WinHttpSetTimeouts)>("WinHttpSetTimeouts");
    auto connect = Http<decltype(&WinHttpConnect)>("WinHttpConnect");
    auto request = Http<decltype(&WinHttpOpenRequest)>("WinHttpOpenRequest");
    auto send = Http<decltype(&WinHttpSendRequest)>("WinHttpSendRequest");
    auto receive = Http<decltype(&WinHttpReceiveResponse)>("WinHttpReceiveResponse");
    auto query = Http<decltype(&WinHttpQueryHeaders)>("WinHttpQueryHeaders");
    auto close = Http<decltype(&WinHttpCloseHandle)>("WinHttpCloseHandle");
    if (!crack || !open || !timeouts || !connect || !request || !send || !receive || !query || !close)
        return false;
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    wchar_t host[256] = {};
    wchar_t path[2048] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = 255;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 2047;
    if (!crack(AsWide(job.url), 0, 0, &parts))
        return false;
    bool ok = false;
    HINTERNET session = open(L"Kestrival Setup", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                             WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session)
        return false;
    timeouts(session, kPhaseTimeoutMs, kPhaseTimeoutMs, kPhaseTimeoutMs, kPhaseTimeoutMs);
    if (HINTERNET connection = connect(session, host, parts.nPort, 0)) {
        const DWORD flags = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
        if (HINTERNET post = request(connection, L"POST", path[0] ? path : L"/", nullptr, WINHTTP_NO_REFERER,
                                     WINHTTP_DEFAULT_ACCEPT_TYPES, flags)) {
            const wchar_t kType[] = L"Content-Type: application/x-www-form-urlencoded\r\n";
            DWORD status = 0;
            DWORD size = sizeof(status);
            ok = send(post, kType, static_cast<DWORD>(-1), const_cast<char *>(job.form.Bytes()),
                      static_cast<DWORD>(job.form.Length()), static_cast<DWORD>(job.form.Length()), 0) &&
                 receive(post, nullptr) &&
                 query(post, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                       &status, &size, WINHTTP_NO_HEADER_INDEX) &&
                 status >= 200 && status < 300;
            close(post);
        }
        close(connection);
    }
    close(session);
    return ok;
}

void Release(Job *job)
{
    if (InterlockedIncrement(&job->released) == 2)
        delete job;
}

DWORD WINAPI SendThread(void *argument)
{
    Job *job = static_cast<Job *>(argument);
    if (Post(*job))
        InterlockedExchange(&job->succeeded, 1);
    Release(job);
    return 0;
}

} // namespace

bool SendCrashForm(const char *endpoint, const String &form, DWORD waitMs)
{
    if (!endpoint || !*endpoint)
        return false;
    Job *job = new Job;
    CodePageToWide(String(endpoint), kCodePageAnsi, job->url);
    job->form = form;
    HANDLE thread = CreateThread(nullptr, 0, SendThread, job, 0, nullptr);
    if (!thread) {
        delete job;
        return false;
    }
    // A thread still waiting for the network when the time is up is left behind: the process ends
    // right after the report.
    WaitForSingleObject(thread, waitMs);
    CloseHandle(thread);
    const bool sent = job->succeeded != 0;
    Release(job);
    return sent;
}

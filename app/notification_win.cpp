#include "app/notification_win.h"

#include <windows.h>
#include <winhttp.h>

#include "app/program_win.h"
#include "core/crash_win.h"
#include "core/firewall_win.h"
#include "core/system_library_win.h"
#include "core/wide_win.h"

namespace {

constexpr DWORD kRequestTimeoutMs = 30000;
constexpr int kMaxRequests = 8;   // the program makes at most three per run
const char16_t kFirewallName[] = u"Kestrival Setup Installer";
const char16_t kVersionPlaceholder[] = u"%version%";

HANDLE g_threads[kMaxRequests];
int g_threadCount = 0;
String g_firewallProgram;   // non-empty once a request added the program to the firewall

// WinHTTP is not one of the DLLs Windows always loads from the system folder, so it is looked up
// by name from there rather than imported.
struct WinHttp {
    decltype(&WinHttpCrackUrl) crackUrl = nullptr;
    decltype(&WinHttpOpen) open = nullptr;
    decltype(&WinHttpSetTimeouts) setTimeouts = nullptr;
    decltype(&WinHttpConnect) connect = nullptr;
    decltype(&WinHttpOpenRequest) openRequest = nullptr;
    decltype(&WinHttpSendRequest) sendRequest = nullptr;
    decltype(&WinHttpReceiveResponse) receiveResponse = nullptr;
    decltype(&WinHttpCloseHandle) closeHandle = nullptr;

    bool Load()
    {
        const wchar_t *dll = L"winhttp.dll";
        crackUrl = GetSystemFunctionAs<decltype(crackUrl)>(dll, "WinHttpCrackUrl");
        open = GetSystemFunctionAs<decltype(open)>(dll, "WinHttpOpen");
        setTimeouts = GetSystemFunctionAs<decltype(setTimeouts)>(dll, "WinHttpSetTimeouts");
        connect = GetSystemFunctionAs<decltype(connect)>(dll, "WinHttpConnect");
        openRequest = GetSystemFunctionAs<decltype(openRequest)>(dll, "WinHttpOpenRequest");
        sendRequest = GetSystemFunctionAs<decltype(sendRequest)>(dll, "WinHttpSendRequest");
        receiveResponse = GetSystemFunctionAs<decltype(receiveResponse)>(dll, "WinHttpReceiveResponse");
        closeHandle = GetSystemFunctionAs<decltype(closeHandle)>(dll, "WinHttpCloseHandle");
        return crackUrl && open && setTimeouts && connect && openRequest && sendRequest && receiveResponse &&
               closeHandle;
    }
};

// Closes a WinHTTP handle when the scope ends.
class HttpHandle {
public:
    HttpHandle(const WinHttp &api, HINTERNET h) : api_(api), h_(h) {}
    HttpHandle(const HttpHandle &) = delete;
    HttpHandle &operator=(const HttpHandle &) = delete;
    ~HttpHandle()
    {
        if (h_)
            api_.closeHandle(h_);
    }
    HINTERNET Get() const { return h_; }

private:
    const WinHttp &api_;
    HINTERNET h_;
};

// The request itself: GET, answer received and ignored. Failures are silent by design.
void RequestAddress(const String &address)
{
    WinHttp api;
    if (!api.Load())
        return;
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!api.crackUrl(AsWide(address), static_cast<DWORD>(address.WideLength()), 0, &parts))
        return;
    String host(FromWide(parts.lpszHostName), static_cast<int32_t>(parts.dwHostNameLength));
    String path(FromWide(parts.lpszUrlPath), static_cast<int32_t>(parts.dwUrlPathLength));
    path.AppendWide(FromWide(parts.lpszExtraInfo), static_cast<int32_t>(parts.dwExtraInfoLength));
    if (path.Empty())
        path.AssignWide(u"/");

    HttpHandle session(api, api.open(L"Kestrival Setup", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                      WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session.Get())
        return;
    api.setTimeouts(session.Get(), kRequestTimeoutMs, kRequestTimeoutMs, kRequestTimeoutMs, kRequestTimeoutMs);
    HttpHandle connection(api, api.connect(session.Get(), AsWide(host), parts.nPort, 0));
    if (!connection.Get())
        return;
    const DWORD flags = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    HttpHandle request(api, api.openRequest(connection.Get(), L"GET", AsWide(path), nullptr, WINHTTP_NO_REFERER,
                                            WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    if (!request.Get())
        return;
    if (api.sendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        api.receiveResponse(request.Get(), nullptr);
}

DWORD WINAPI RequestThread(LPVOID parameter)
{
    String *address = static_cast<String *>(parameter);
    RequestAddress(*address);
    delete address;
    return 0;
}

} // namespace

String NotificationAddress(const String &address, const String &version)
{
    String result;
    const char16_t *text = address.Wide();
    const int32_t units = address.WideLength();
    const int32_t placeholder = static_cast<int32_t>(sizeof kVersionPlaceholder / 2 - 1);
    for (int32_t i = 0; i < units;) {
        bool match = i + placeholder <= units;
        for (int32_t k = 0; match && k < placeholder; ++k)
            match = text[i + k] == kVersionPlaceholder[k];
        if (match) {
            result.Append(version);
            i += placeholder;
        } else {
            result.AppendWideChar(text[i++]);
        }
    }
    return result;
}

void StartNotificationRequest(const String &address, const String &version)
{
    if (address.Empty() || g_threadCount >= kMaxRequests)
        return;
    if (g_firewallProgram.Empty()) {
        String self = ProgramPath();
        if (!self.Empty() && SUCCEEDED(AddFirewallApplication(self, String(kFirewallName))))
            g_firewallProgram = self;
    }
    String *copy = new String(NotificationAddress(address, version));
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, RequestThread, copy, 0, &threadId);
    if (thread) {
        // A crash inside the network code ends the process quietly: the request is not the
        // installation, and its report would only confuse.
        AddQuietCrashThread(threadId);
        g_threads[g_threadCount++] = thread;
    } else
        delete copy;
}

void FinishNotificationRequests()
{
    if (g_threadCount > 0) {
        WaitForMultipleObjects(static_cast<DWORD>(g_threadCount), g_threads, TRUE, INFINITE);
        for (int i = 0; i < g_threadCount; ++i)
            CloseHandle(g_threads[i]);
        g_threadCount = 0;
    }
    if (!g_firewallProgram.Empty()) {
        RemoveFirewallApplication(g_firewallProgram);
        g_firewallProgram.Clear();
    }
}

#include "core/crash_win.h"

#include <tlhelp32.h>
#include <dbghelp.h>

#include "core/codepage.h"
#include "core/fatal.h"
#include "core/memory.h"
#include "core/system_library_win.h"

namespace {

constexpr DWORD kBreakpoint = 0x80000003;
constexpr DWORD kSingleStep = 0x80000004;
constexpr DWORD kNoncontinuable = 0xC0000025;
constexpr DWORD kCxxException = 0xE06D7363;
constexpr int kMaxQuietThreads = 8;
constexpr int kMaxStackFrames = 64;

CrashHandler g_handler = nullptr;
DWORD g_mainThread = 0;
DWORD g_quietThreads[kMaxQuietThreads];
LONG g_quietCount = 0;
volatile LONG g_busy = 0;
volatile LONG g_allocationFailed = 0;
CrashReportIdentity g_identity;
CONTEXT g_context;
const CONTEXT *g_activeContext = nullptr;

// Asked by the memory layer each time an allocation fails: it frees nothing, it only remembers
// that it happened, for the report.
bool NoteAllocationFailure()
{
    InterlockedExchange(&g_allocationFailed, 1);
    return false;
}

String Narrow(const wchar_t *text, int units)
{
    String out;
    CodePageFromWide(reinterpret_cast<const char16_t *>(text), units, kCodePageAnsi, "?", out);
    return out;
}

String ModulePath(HMODULE module)
{
    wchar_t path[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH * 4);
    return length ? Narrow(path, static_cast<int>(length)) : String();
}

String ModuleAt(uint32_t address)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(address)), &module))
        return String();
    return ModulePath(module);
}

uint64_t Units(const FILETIME &t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

void GatherTimes(CrashFacts &f)
{
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return;
    GetSystemTimeAsFileTime(&now);
    f.haveTimes = true;
    f.elapsedTime = FormatCrashDuration(Units(now) > Units(created) ? Units(now) - Units(created) : 0);
    f.kernelTime = FormatCrashDuration(Units(kernel));
    f.userTime = FormatCrashDuration(Units(user));
}

String ReadRegistryText(HKEY root, const wchar_t *path, const wchar_t *name)
{
    HKEY key;
    if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return String();
    wchar_t value[256] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    DWORD type = 0;
    String out;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE *>(value), &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ))
        out = Narrow(value, static_cast<int>(wcsnlen(value, size / sizeof(wchar_t))));
    RegCloseKey(key);
    return out;
}

void GatherSystem(CrashFacts &f)
{
    // GetVersionEx reports what the manifest allows; the program declares every version to 10.
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const bool known = GetVersionExW(reinterpret_cast<OSVERSIONINFOW *>(&version)) != FALSE;
#pragma GCC diagnostic pop
    f.osName = known ? String::Format("Windows %lu.%lu (build %lu)%s", version.dwMajorVersion, version.dwMinorVersion,
                                      version.dwBuildNumber,
                                      version.wProductType == VER_NT_WORKSTATION ? "" : " Server")
                     : String("Windows");
    const wchar_t kExplorer[] = L"Software\\Microsoft\\Internet Explorer";
    f.browserVersion = ReadRegistryText(HKEY_LOCAL_MACHINE, kExplorer, L"svcVersion");
    if (f.browserVersion.Empty())
        f.browserVersion = ReadRegistryText(HKEY_LOCAL_MACHINE, kExplorer, L"Version");
    static const wchar_t *const kOfficeVersions[] = {L"16.0", L"15.0", L"14.0", L"12.0", L"11.0"};
    for (const wchar_t *office : kOfficeVersions) {
        wchar_t path[96];
        wsprintfW(path, L"Software\\Microsoft\\Office\\%s\\Common\\InstallRoot", office);
        if (!ReadRegistryText(HKEY_LOCAL_MACHINE, path, L"Path").Empty()) {
            f.officeName = "Microsoft Office";
            f.officeVersion = Narrow(office, static_cast<int>(wcslen(office)));
            break;
        }
    }
    wchar_t language[128] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SENGLANGUAGE, language, 128) > 0)
        f.language = Narrow(language, static_cast<int>(wcslen(language)));
    f.locale = GetUserDefaultLCID();
    f.codePage = GetACP();
}

void GatherModulesFromToolHelp(CrashFacts &f)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry)) {
        const uint32_t start = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(entry.modBaseAddr));
        f.modules.push_back(CrashModule{start, start + entry.modBaseSize - 1,
                                        Narrow(entry.szExePath, static_cast<int>(wcslen(entry.szExePath)))});
    }
    CloseHandle(snapshot);
    f.haveModules = !f.modules.empty();
}

// The tool-help snapshot can fail (low memory, a process that is still loading); psapi's module
// list is the second way.
void GatherModulesFromPsapi(CrashFacts &f)
{
    using EnumModules = BOOL(WINAPI *)(HANDLE, HMODULE *, DWORD, LPDWORD);
    struct ModuleInfo {
        LPVOID base;
        DWORD size;
        LPVOID entry;
    };
    using GetInfo = BOOL(WINAPI *)(HANDLE, HMODULE, ModuleInfo *, DWORD);
    auto enumModules = GetSystemFunctionAs<EnumModules>(L"psapi.dll", "EnumProcessModules");
    auto getInfo = GetSystemFunctionAs<GetInfo>(L"psapi.dll", "GetModuleInformation");
    if (!enumModules || !getInfo)
        return;
    HMODULE modules[512];
    DWORD needed = 0;
    if (!enumModules(GetCurrentProcess(), modules, sizeof(modules), &needed))
        return;
    const DWORD count = needed / sizeof(HMODULE) < 512 ? needed / sizeof(HMODULE) : 512;
    for (DWORD i = 0; i < count; ++i) {
        ModuleInfo info = {};
        if (!getInfo(GetCurrentProcess(), modules[i], &info, sizeof(info)))
            continue;
        const uint32_t start = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info.base));
        f.modules.push_back(CrashModule{start, start + info.size - 1, ModulePath(modules[i])});
    }
    f.haveModules = !f.modules.empty();
}

void GatherStack(CrashFacts &f, const CONTEXT &recorded)
{
    using SymInitializeFn = BOOL(WINAPI *)(HANDLE, PCSTR, BOOL);
    using StackWalk64Fn = BOOL(WINAPI *)(DWORD, HANDLE, HANDLE, LPSTACKFRAME64, PVOID, PREAD_PROCESS_MEMORY_ROUTINE64,
                                         PFUNCTION_TABLE_ACCESS_ROUTINE64, PGET_MODULE_BASE_ROUTINE64,
                                         PTRANSLATE_ADDRESS_ROUTINE64);
    using SymFromAddrFn = BOOL(WINAPI *)(HANDLE, DWORD64, PDWORD64, PSYMBOL_INFO);
    const wchar_t dll[] = L"dbghelp.dll";
    auto symInitialize = GetSystemFunctionAs<SymInitializeFn>(dll, "SymInitialize");
    auto stackWalk = GetSystemFunctionAs<StackWalk64Fn>(dll, "StackWalk64");
    auto tableAccess = GetSystemFunctionAs<PFUNCTION_TABLE_ACCESS_ROUTINE64>(dll, "SymFunctionTableAccess64");
    auto moduleBase = GetSystemFunctionAs<PGET_MODULE_BASE_ROUTINE64>(dll, "SymGetModuleBase64");
    auto fromAddress = GetSystemFunctionAs<SymFromAddrFn>(dll, "SymFromAddr");
    if (!symInitialize || !stackWalk || !tableAccess || !moduleBase || !fromAddress)
        return;
    HANDLE process = GetCurrentProcess();
    if (!symInitialize(process, nullptr, TRUE))
        return;
    CONTEXT context = recorded;   // StackWalk64 changes the context it walks
    STACKFRAME64 frame = {};
    frame.AddrPC.Offset = context.Eip;
    frame.AddrPC.Mode = AddrModeFlat;
    frame.AddrFrame.Offset = context.Ebp;
    frame.AddrFrame.Mode = AddrModeFlat;
    frame.AddrStack.Offset = context.Esp;
    frame.AddrStack.Mode = AddrModeFlat;
    union {
        SYMBOL_INFO info;
        char bytes[sizeof(SYMBOL_INFO) + 256];
    } symbol;
    f.haveStack = true;
    for (int i = 0; i < kMaxStackFrames; ++i) {
        if (!stackWalk(IMAGE_FILE_MACHINE_I386, process, GetCurrentThread(), &frame, &context, nullptr, tableAccess,
                       moduleBase, nullptr) ||
            frame.AddrPC.Offset == 0)
            break;
        String line = String::Format("%08X", static_cast<unsigned>(frame.AddrPC.Offset));
        ZeroMemory(&symbol, sizeof(symbol));
        symbol.info.SizeOfStruct = sizeof(SYMBOL_INFO);
        symbol.info.MaxNameLen = 255;
        DWORD64 displacement = 0;
        if (fromAddress(process, frame.AddrPC.Offset, &displacement, &symbol.info))
            line.AppendFormat(" %s+0x%X", symbol.info.Name, static_cast<unsigned>(displacement));
        f.stackFrames.push_back(line);
    }
}

bool IsQuietThread(DWORD id)
{
    const LONG count = g_quietCount < kMaxQuietThreads ? g_quietCount : kMaxQuietThreads;
    for (LONG i = 0; i < count; ++i)
        if (g_quietThreads[i] == id)
            return true;
    return false;
}

struct OverflowJob {
    const CrashRecord *record;
    bool handled;
};

DWORD WINAPI RunHandlerOnFreshStack(void *argument)
{
    OverflowJob *job = static_cast<OverflowJob *>(argument);
    job->handled = g_handler(*job->record);
    return 0;
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS *exception)
{
    const DWORD code = exception->ExceptionRecord->ExceptionCode;
    if (code == kBreakpoint || code == kSingleStep || code == kNoncontinuable || code == kCxxException)
        return EXCEPTION_CONTINUE_SEARCH;
    if (IsQuietThread(GetCurrentThreadId()))
        return EXCEPTION_EXECUTE_HANDLER;
    if (!g_handler || InterlockedExchange(&g_busy, 1) != 0)
        return EXCEPTION_CONTINUE_SEARCH;
    // Static: after a stack overflow there is no room for a record on the stack.
    static CrashRecord record;
    record = RecordCrash(*exception);
    g_context = *exception->ContextRecord;
    g_activeContext = &g_context;
    bool handled = false;
    if (code == kStackOverflow) {
        // The crashed thread has no stack left for the report and the dialog: they run on a thread
        // of their own, and the process ends right after.
        static OverflowJob job;
        job = OverflowJob{&record, false};
        HANDLE thread = CreateThread(nullptr, 1 << 20, RunHandlerOnFreshStack, &job, 0, nullptr);
        if (thread) {
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
        }
        TerminateProcess(GetCurrentProcess(), code);
    }
    handled = g_handler(record);
    g_activeContext = nullptr;
    InterlockedExchange(&g_busy, 0);
    return handled ? EXCEPTION_EXECUTE_HANDLER : EXCEPTION_CONTINUE_SEARCH;
}

bool ReportThroughFatalPath(const CrashRecord &record)
{
    FatalFormat("The installer stopped because of an unhandled exception.\r\n\r\n"
                "Exception code: 0x%08lX\r\nAddress: 0x%08lX",
                static_cast<unsigned long>(record.code), static_cast<unsigned long>(record.address));
}

} // namespace

CrashRecord RecordCrash(const EXCEPTION_POINTERS &exception)
{
    const EXCEPTION_RECORD &e = *exception.ExceptionRecord;
    const CONTEXT &c = *exception.ContextRecord;
    CrashRecord r;
    r.code = e.ExceptionCode;
    r.address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(e.ExceptionAddress));
    r.threadId = GetCurrentThreadId();
    if (e.ExceptionCode == kAccessViolation && e.NumberParameters >= 2) {
        r.write = e.ExceptionInformation[0] != 0;
        r.memoryAddress = static_cast<uint32_t>(e.ExceptionInformation[1]);
    }
    if (e.ExceptionCode == kFatalErrorException && e.NumberParameters >= 1 && e.ExceptionInformation[0])
        r.fatalMessage = reinterpret_cast<const char *>(e.ExceptionInformation[0]);
    if (c.ContextFlags & CONTEXT_CONTROL) {
        r.registers.flags = c.EFlags;
        r.registers.eip = c.Eip;
        r.registers.ebp = c.Ebp;
        r.registers.esp = c.Esp;
        r.registers.cs = c.SegCs;
        r.registers.ss = c.SegSs;
    }
    if (c.ContextFlags & CONTEXT_INTEGER) {
        r.registers.eax = c.Eax;
        r.registers.ebx = c.Ebx;
        r.registers.ecx = c.Ecx;
        r.registers.edx = c.Edx;
        r.registers.edi = c.Edi;
        r.registers.esi = c.Esi;
    }
    if (c.ContextFlags & CONTEXT_SEGMENTS) {
        r.registers.ds = c.SegDs;
        r.registers.es = c.SegEs;
        r.registers.fs = c.SegFs;
        r.registers.gs = c.SegGs;
    }
    return r;
}

void InstallCrashHandler(CrashHandler handler)
{
    g_handler = handler;
    g_mainThread = GetCurrentThreadId();
    // The list of release hooks may be full; the report then only lacks the out-of-memory line.
    AddMemoryReleaseHook(NoteAllocationFailure);
    SetUnhandledExceptionFilter(CrashFilter);
}

void InstallCrashHandler() { InstallCrashHandler(ReportThroughFatalPath); }

void AddQuietCrashThread(DWORD threadId)
{
    const LONG slot = InterlockedIncrement(&g_quietCount) - 1;
    if (slot < kMaxQuietThreads)
        g_quietThreads[slot] = threadId;
}

void SetCrashReportIdentity(const CrashReportIdentity &identity) { g_identity = identity; }
const CrashReportIdentity &GetCrashReportIdentity() { return g_identity; }
const CONTEXT *CrashContext() { return g_activeContext; }

String BuildCrashReport(const CrashRecord &record)
{
    CrashFacts f;
    f.productName = g_identity.productName;
    f.productVersion = g_identity.productVersion;
    f.buildText = g_identity.buildText;
    f.mainThreadId = g_mainThread;
    if (record.code != kFatalErrorException)
        f.addressModule = ModuleAt(record.address);
    GatherTimes(f);
    GatherSystem(f);
    f.earlierOutOfMemory = g_allocationFailed != 0;
    GatherModulesFromToolHelp(f);
    if (!f.haveModules)
        GatherModulesFromPsapi(f);
    if (record.code != kFatalErrorException && g_activeContext)
        GatherStack(f, *g_activeContext);
    return FormatCrashReport(record, f);
}

// A C++ exception that nobody catches ends in std::terminate. libstdc++'s default handler prints
// the demangled type name to stderr, which a GUI program does not have, and links the whole
// demangler (about 40 KB) into the program. This definition takes its place: the failure goes to
// the fatal-error path like every other one.
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    Fatal("The installer stopped because of an unhandled C++ exception.");
}
} // namespace __gnu_cxx

// The crash report: a plain text that tells the maker what crashed, where, and on which system.
//
// Layout, each line ending with CR LF:
//
//   Exception: <name>                      or  Fatal error: <message>
//   Product: <name> <version> <build>
//   <empty line>
//   Exception code: <hex>                  real exceptions only, with the two below
//   Address: <hex>
//   Module: <path of the module at the address, when found>
//   Read/write: write|read                  access violations only, with the one below
//   Memory address: <hex>
//   Thread ID: <id>  Main Thread: <id>
//   Process/kernel/user time: <e> / <k> / <u>      when the times could be read
//   OS: ...  IE: ...  [Office: <name> (<version>)]  Language: ...  Locale: 0x<lcid>  Codepage: <n>
//   A previous out-of-memory condition occurred.   when one did (not after "Out Of Memory")
//   <empty line> CPU Registers: Flags, EAX EBX ECX EDX EDI ESI EIP EBP ESP, CS DS ES FS GS SS
//   <two empty lines> Modules: "<start> <last> <path>" per module      when the list could be had
//   <empty line> Call Stack: one line per frame                        when it could be walked
//
// Formatting is portable; core/crash_win.h records the exception and gathers the facts.
#pragma once

#include <cstdint>
#include <vector>

#include "core/string.h"

// The code with which the core library raises its own fatal errors; the first exception
// parameter points at the message (8-bit, zero-ended).
constexpr uint32_t kFatalErrorException = 0xD1EB17CC;
constexpr uint32_t kAccessViolation = 0xC0000005;
constexpr uint32_t kStackOverflow = 0xC00000FD;

struct CrashRegisters {
    uint32_t flags = 0;
    uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0, edi = 0, esi = 0, eip = 0, ebp = 0, esp = 0;
    uint32_t cs = 0, ds = 0, es = 0, fs = 0, gs = 0, ss = 0;
};

// The exception as the filter recorded it.
struct CrashRecord {
    uint32_t code = 0;
    uint32_t address = 0;
    bool write = false;            // access violations: the first parameter was non-zero
    uint32_t memoryAddress = 0;    // access violations: the second parameter
    CrashRegisters registers;
    String fatalMessage;           // kFatalErrorException: the message (8-bit)
    uint32_t threadId = 0;         // the thread that crashed
};

struct CrashModule {
    uint32_t start = 0;
    uint32_t last = 0;             // the module's last byte
    String path;                   // 8-bit
};

// What the report says about the program and the system.
struct CrashFacts {
    String productName, productVersion, buildText;   // 8-bit
    String addressModule;          // path of the module containing the address; empty: unknown
    uint32_t mainThreadId = 0;
    bool haveTimes = false;
    String elapsedTime, kernelTime, userTime;
    String osName, browserVersion, officeName, officeVersion, language;
    uint32_t locale = 0;
    uint32_t codePage = 0;
    bool earlierOutOfMemory = false;
    bool haveModules = false;
    std::vector<CrashModule> modules;
    bool haveStack = false;
    std::vector<String> stackFrames;   // one line each, without line end
};

// The name of an exception code for the report's first line; empty for a code without one.
const char *ExceptionName(uint32_t code);

String FormatCrashReport(const CrashRecord &record, const CrashFacts &facts);

// A duration in 100-nanosecond units as "h:mm:ss.mmm".
String FormatCrashDuration(uint64_t hundredNanoseconds);

// What "Inform Us" sends: the subject ("Exception - Installer 36.0: " and the program's file name),
// the extra mail headers (the configured text and a line break when it is not empty, then
// "X-Exception-Email: " and "Reply-To: " lines when an address was given) and the report with
// "\r\nEmail: " and the address and "\r\nComments:\r\n" and the comments appended when given.
struct CrashSubmission {
    String subject;
    String headers;
    String body;
};
CrashSubmission BuildCrashSubmission(const String &report, const String &programFileName,
                                     const String &headerText, const String &email, const String &comments);

// The fields as an "application/x-www-form-urlencoded" body: from, body, subject, headers.
String EncodeCrashForm(const String &sender, const CrashSubmission &submission);

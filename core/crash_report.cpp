#include "core/crash_report.h"

namespace {

struct ExceptionText {
    uint32_t code;
    const char *text;
};

const ExceptionText kExceptionNames[] = {
    {0xC0000005, "Illegal memory access."},
    {0xC000008C, "Array element is out of bounds."},
    {0x80000003, "Breakpoint encountered."},
    {0x80000002, "Misaligned memory access."},
    {0xC000008D, "One of the operands in a floating-point operation is denormal (too small to represent)."},
    {0xC000008E, "Floating-point division by zero."},
    {0xC000008F, "Floating-point operation cannot be represented exactly as a decimal fraction."},
    {0xC0000090, "Invalid floating point operation."},
    {0xC0000091, "The exponent of a floating-point operation is greater than the magnitude allowed by the "
                 "corresponding type."},
    {0xC0000092, "The stack overflowed or underflowed as the result of a floating-point operation."},
    {0xC0000093, "The exponent of a floating-point operation is less than the magnitude allowed by the "
                 "corresponding type."},
    {0xC000001D, "Invalid instruction executed."},
    {0xC0000006, "Failed to load page into physical memory."},
    {0xC0000094, "Integer divide by zero."},
    {0xC0000095, "Integer overflow."},
    {0xC0000026, "An exception handler returned an invalid disposition."},
    {0xC0000025, "Cannot continue after a noncontinuable exception occurred."},
    {0xC0000096, "Attempt to execute a privileged instruction."},
    {0x80000004, "Single step."},
    {0xC00000FD, "Stack overflow."},
    {0xC000013A, "Ctrl+C pressed."},
    {0x80000001, "Memory Allocated as PAGE_GUARD by VirtualAlloc() was accessed."},
    {0xC0000017, "Called by HeapAlloc() if you specify HEAP_GENERATE_EXCEPTIONS and there is no memory or heap "
                 "corruption."},
    {0xC015000F, "The activation context being deactivated is not the most recently activated one."},
    {0xE06D7363, "Visual C++ structured exception handling."},
};

const char kOutOfMemoryMessage[] = "Out Of Memory";
const char kSubjectFormat[] = "Exception - Installer 36.0: %s";

void AppendRegister(String &out, const char *label, uint32_t value, bool segment)
{
    out.AppendFormat(segment ? "%s%04X\r\n" : "%s%08X\r\n", label, value);
}

void AppendFormField(String &out, const char *name, const String &value)
{
    static const char kHex[] = "0123456789ABCDEF";
    if (!out.Empty())
        out.AppendByte('&');
    out.Append(name);
    out.AppendByte('=');
    for (int32_t i = 0; i < value.Length(); ++i) {
        const unsigned char c = static_cast<unsigned char>(value.Bytes()[i]);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~') {
            out.AppendByte(static_cast<char>(c));
        } else if (c == ' ') {
            out.AppendByte('+');
        } else {
            out.AppendByte('%');
            out.AppendByte(kHex[c >> 4]);
            out.AppendByte(kHex[c & 0xF]);
        }
    }
}

} // namespace

const char *ExceptionName(uint32_t code)
{
    for (const ExceptionText &entry : kExceptionNames)
        if (entry.code == code)
            return entry.text;
    return "";
}

String FormatCrashDuration(uint64_t units)
{
    const uint64_t milliseconds = units / 10000;
    const uint64_t seconds = milliseconds / 1000;
    return String::Format("%llu:%02llu:%02llu.%03llu", static_cast<unsigned long long>(seconds / 3600),
                          static_cast<unsigned long long>(seconds / 60 % 60),
                          static_cast<unsigned long long>(seconds % 60),
                          static_cast<unsigned long long>(milliseconds % 1000));
}

String FormatCrashReport(const CrashRecord &record, const CrashFacts &facts)
{
    const bool fatal = record.code == kFatalErrorException;
    String out;
    if (fatal) {
        out.Append("Fatal error: ");
        out.Append(record.fatalMessage);
    } else {
        out.Append("Exception: ");
        out.Append(ExceptionName(record.code));
    }
    out.Append("\r\nProduct: ");
    out.Append(facts.productName);
    out.AppendByte(' ');
    out.Append(facts.productVersion);
    out.AppendByte(' ');
    out.Append(facts.buildText);
    out.Append("\r\n\r\n");
    if (!fatal) {
        out.AppendFormat("Exception code: %08X\r\nAddress: %08X\r\n", record.code, record.address);
        if (!facts.addressModule.Empty()) {
            out.Append("Module: ");
            out.AppendLine(facts.addressModule);
        }
        if (record.code == kAccessViolation)
            out.AppendFormat("Read/write: %s\r\nMemory address: %08X\r\n", record.write ? "write" : "read",
                             record.memoryAddress);
    }
    out.AppendFormat("Thread ID: %u  Main Thread: %u\r\n", record.threadId, facts.mainThreadId);
    if (facts.haveTimes) {
        out.Append("Process/kernel/user time: ");
        out.Append(facts.elapsedTime);
        out.Append(" / ");
        out.Append(facts.kernelTime);
        out.Append(" / ");
        out.AppendLine(facts.userTime);
    }
    out.Append("OS: ");
    out.AppendLine(facts.osName);
    out.Append("IE: ");
    out.AppendLine(facts.browserVersion);
    if (!facts.officeName.Empty()) {
        out.Append("Office: ");
        out.Append(facts.officeName);
        out.Append(" (");
        out.Append(facts.officeVersion);
        out.Append(")\r\n");
    }
    out.Append("Language: ");
    out.AppendLine(facts.language);
    out.AppendFormat("Locale: 0x%04X  Codepage: %u\r\n", facts.locale, facts.codePage);
    if (facts.earlierOutOfMemory && !(fatal && record.fatalMessage.StartsWith(kOutOfMemoryMessage)))
        out.Append("A previous out-of-memory condition occurred.\r\n");
    if (!fatal) {
        const CrashRegisters &r = record.registers;
        out.AppendFormat("\r\nCPU Registers:\r\nFlags: %08X\r\n", r.flags);
        AppendRegister(out, "  EAX: ", r.eax, false);
        AppendRegister(out, "  EBX: ", r.ebx, false);
        AppendRegister(out, "  ECX: ", r.ecx, false);
        AppendRegister(out, "  EDX: ", r.edx, false);
        AppendRegister(out, "  EDI: ", r.edi, false);
        AppendRegister(out, "  ESI: ", r.esi, false);
        AppendRegister(out, "  EIP: ", r.eip, false);
        AppendRegister(out, "  EBP: ", r.ebp, false);
        AppendRegister(out, "  ESP: ", r.esp, false);
        AppendRegister(out, "   CS: ", r.cs, true);
        AppendRegister(out, "   DS: ", r.ds, true);
        AppendRegister(out, "   ES: ", r.es, true);
        AppendRegister(out, "   FS: ", r.fs, true);
        AppendRegister(out, "   GS: ", r.gs, true);
        AppendRegister(out, "   SS: ", r.ss, true);
    }
    if (facts.haveModules) {
        out.Append("\r\n\r\nModules:\r\n");
        for (const CrashModule &m : facts.modules) {
            out.AppendFormat("%08X %08X ", m.start, m.last);
            out.AppendLine(m.path);
        }
    }
    if (facts.haveStack) {
        out.Append("\r\nCall Stack:\r\n");
        for (const String &frame : facts.stackFrames)
            out.AppendLine(frame);
    }
    return out;
}

CrashSubmission BuildCrashSubmission(const String &report, const String &programFileName,
                                     const String &headerText, const String &email, const String &comments)
{
    CrashSubmission s;
    s.subject = String::Format(kSubjectFormat, programFileName.Bytes());
    s.headers = headerText;
    if (!headerText.Empty())
        s.headers.Append("\r\n");
    s.body = report;
    if (!email.Empty()) {
        s.headers.Append("X-Exception-Email: ");
        s.headers.AppendLine(email);
        s.headers.Append("Reply-To: ");
        s.headers.AppendLine(email);
        s.body.Append("\r\nEmail: ");
        s.body.Append(email);
    }
    if (!comments.Empty()) {
        s.body.Append("\r\nComments:\r\n");
        s.body.Append(comments);
    }
    return s;
}

String EncodeCrashForm(const String &sender, const CrashSubmission &submission)
{
    String form;
    AppendFormField(form, "from", sender);
    AppendFormField(form, "body", submission.body);
    AppendFormField(form, "subject", submission.subject);
    AppendFormField(form, "headers", submission.headers);
    return form;
}

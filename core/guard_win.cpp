#include "core/guard_win.h"

#include <windows.h>

namespace {

// The record the system walks: the chain link and the handler must come first, in this order.
struct GuardFrame {
    GuardFrame *previous;
    void *handler;
    void *jump[5];            // __builtin_setjmp buffer: frame pointer, resume address, stack
    volatile DWORD code;
    void *volatile address;
};

GuardFrame *ChainHead()
{
    GuardFrame *head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void SetChainHead(GuardFrame *head) { asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }

constexpr DWORD kSeverityMask = 0xC0000000;
constexpr DWORD kSeverityError = 0xC0000000;
constexpr DWORD kUnwindFlags = EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND;

extern "C" EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD *record, void *establisher,
                                                      CONTEXT *, void *)
{
    if ((record->ExceptionFlags & kUnwindFlags) != 0)
        return ExceptionContinueSearch;        // an unwind passing through: nothing to clean up
    if ((record->ExceptionCode & kSeverityMask) != kSeverityError)
        return ExceptionContinueSearch;
    GuardFrame *volatile frame = static_cast<GuardFrame *>(establisher);
    frame->code = record->ExceptionCode;
    frame->address = record->ExceptionAddress;
    // Termination handlers of the frames between the fault and the guard run now; afterwards the
    // chain ends at the guard's record.
    RtlUnwind(frame, nullptr, nullptr, nullptr);
    __builtin_longjmp(frame->jump, 1);
}

} // namespace

// Not inlined: the guard record and the resume point live in this function's own frame.
__attribute__((noinline)) GuardResult RunGuarded(GuardedWork work, void *context)
{
    GuardFrame frame;
    frame.previous = ChainHead();
    frame.handler = reinterpret_cast<void *>(&GuardHandler);
    frame.code = 0;
    frame.address = nullptr;
    GuardResult result;
    if (__builtin_setjmp(frame.jump) == 0) {
        SetChainHead(&frame);
        work(context);
    } else {
        result.crashed = true;
        result.code = frame.code;
        result.address = frame.address;
    }
    SetChainHead(frame.previous);
    return result;
}

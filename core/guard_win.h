// Crash guards: run a piece of work so that a processor exception inside it (an access violation
// in a COM server's registration, a crashing shell extension, ...) ends only that work, not the
// installation.
//
// GCC has no __try/__except on 32-bit Windows, so the guard does by hand what that construct does
// there: it links its own record into the thread's exception-handler chain (fs:[0]) for the time
// the work runs. Handlers are called innermost first, so code inside the work that handles its
// own exceptions still does; only an exception that nobody inside handled reaches the guard. The
// guard's handler then unwinds the inner frames (RtlUnwind, so their termination handlers run) and
// jumps back into RunGuarded with the stack as it was when the work started (__builtin_setjmp /
// __builtin_longjmp, which restore exactly the frame and stack pointer). Exceptions of warning or
// informational severity (debug output, C++ exceptions, breakpoints) are left alone.
#pragma once

#include <cstdint>

struct GuardResult {
    bool crashed = false;
    uint32_t code = 0;        // the exception code, when crashed
    void *address = nullptr;  // where it happened
};

using GuardedWork = void (*)(void *context);

// Runs work(context) inside a guard. Guards nest; each one catches what escapes the work inside it.
GuardResult RunGuarded(GuardedWork work, void *context);

// The same for any callable: RunGuardedCall([&] { ... }).
template <typename Call>
GuardResult RunGuardedCall(Call &&call)
{
    return RunGuarded([](void *c) { (*static_cast<Call *>(c))(); }, &call);
}

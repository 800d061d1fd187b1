// The file step's small reporting helpers over FileStepHooks (each hook may be null).
#pragma once

#include "install/file_step.h"

inline void StepLog(const FileStepInput &input, const char *text)
{
    if (input.hooks.logText)
        input.hooks.logText(text);
}
inline void StepLogWide(const FileStepInput &input, const String &wide)
{
    if (input.hooks.logWide)
        input.hooks.logWide(wide);
}
inline void StepFailure(const FileStepInput &input, const String &wide)
{
    if (input.hooks.failure)
        input.hooks.failure(wide);
}
inline void StepUninstallRecord(const FileStepInput &input, const String &wide, UninstallRecordKind kind)
{
    if (input.hooks.uninstallRecord)
        input.hooks.uninstallRecord(wide, kind);
}
inline void StepStatus(const FileStepInput &input, const String &wide)
{
    if (input.hooks.status)
        input.hooks.status(wide);
}
// Runs `work` in the crash guard; false when it crashed.
inline bool StepGuarded(const FileStepInput &input, void (*work)(void *), void *context)
{
    if (input.hooks.guarded)
        return input.hooks.guarded(work, context);
    work(context);
    return true;
}

// Language string 77 with "<file>" replaced by `what`: the status of a registration.
String RegistrationStatus(const String &whatWide);

#include "core/step_failure.h"

#include "core/failure_summary.h"

namespace {
StepLogSink g_sink = nullptr;
}

void SetStepLogSink(StepLogSink sink) { g_sink = sink; }

String StepFailureLine(const char16_t *what, const String &object, const String &errorText)
{
    String line(what);
    if (!object.Empty())
        line.AppendWide(u" \"").Append(object).AppendWideChar(u'"');
    line.AppendWide(u": ").Append(errorText).AppendWide(u"\r\n");
    return line;
}

String StepFailed(const char16_t *what, const String &object, const SystemError &error,
                  const String &summaryLead)
{
    const String text = error.Describe();
    if (g_sink)
        g_sink(StepFailureLine(what, object, text));
    if (!summaryLead.Empty())
        AppendFailureEntry(summaryLead, object, text);
    return text;
}

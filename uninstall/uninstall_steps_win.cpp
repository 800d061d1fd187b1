#include "uninstall/uninstall_context.h"

namespace {
UninstallSystemSteps g_steps;
}

void SetUninstallSystemSteps(const UninstallSystemSteps &steps) { g_steps = steps; }
const UninstallSystemSteps &GetUninstallSystemSteps() { return g_steps; }

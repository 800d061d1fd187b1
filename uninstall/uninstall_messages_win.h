// The uninstaller's questions and messages: nothing is shown without a user interface (questions
// then count as yes), and error boxes are suppressed in automatic mode unless the product asks for
// them. Captions and texts come from the language strings carried in "Uninstall.DAT".
#pragma once

#include "core/string.h"
#include "uninstall/uninstall_context.h"

// Language strings of the uninstaller.
namespace UninstallText {
constexpr int FailureBody = 10;
constexpr int CompletionCaption = 15;
constexpr int RestartCaption = 20;
constexpr int CompletionText = 34;
constexpr int SharedFileCaption = 35;
constexpr int ConfirmText = 53;
constexpr int ConfirmCaption = 55;
constexpr int FontQuestion = 56;
constexpr int FontCaption = 57;
constexpr int NotDeleted = 58;
constexpr int SharedFileQuestion = 59;
constexpr int StatusFonts = 67;
constexpr int StatusFiles = 68;
constexpr int StatusRegistry = 69;
constexpr int StatusAssociations = 70;
constexpr int ProgressText = 71;
constexpr int RestartQuestion = 74;
constexpr int CancelledText = 101;
constexpr int StatusMsi = 108;
constexpr int CancelledCaption = 111;
}

bool AskUninstallQuestion(const UninstallContext &context, const String &text, const String &caption);
void ShowUninstallInformation(const UninstallContext &context, const String &text, const String &caption);
void ShowUninstallWarning(const UninstallContext &context, const String &text, const String &caption);
void ShowUninstallErrorBox(const UninstallContext &context, const String &text);

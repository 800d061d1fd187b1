// The script that removes the uninstaller after its process has ended: "delunins.bat" in the
// temporary folder deletes the program (retrying while it still runs), waits a moment, removes the
// uninstall subfolder and its parents up to the installation folder when they are empty, then the
// installation folder when empty, then itself. "rd" without /s never removes anything that is not
// empty, so the script cannot take a user's files with it.
#pragma once

#include "core/string.h"

constexpr char16_t kSelfDeletionScriptName[] = u"delunins.bat";
constexpr int kMaxSelfDeletionFolders = 50;

// The script's text (wide), without its code-page line. `subfolder` is the uninstall subfolder
// relative to `installFolder` (may be empty or hold several levels).
String SelfDeletionScriptText(const String &programPath, const String &installFolder, const String &subfolder,
                              const String &scriptPath);

// The bytes stored: code page 1252 with "@chcp 1252 >nul" in front when `beforeWindows7` or the
// text is plain ASCII, else UTF-8 with "@chcp 65001 >nul". Characters 1252 lacks become "?".
String SelfDeletionScriptBytes(const String &text, bool beforeWindows7);

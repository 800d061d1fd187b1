// The script that removes the uninstaller after its process has ended: "delunins.bat" in the
// temporary folder deletes the program (retrying once a second while it still runs, for a bounded
// time), waits a moment, removes the uninstall subfolder and its parents up to the installation
// folder when they are empty, then the installation folder when empty, then itself. "rd" without
// /s never removes anything that is not empty, so the script cannot take a user's files with it.
// A program that never goes away (held open by another process) ends the retries; the script still
// removes itself, and the program stays for the user to delete.
#pragma once

#include "core/string.h"

constexpr char16_t kSelfDeletionScriptName[] = u"delunins.bat";
constexpr int kMaxSelfDeletionFolders = 50;
// Deletion attempts, one second apart: long enough for the process end to wait for its
// notification request (30 s per stage of the request) and for a slow virus scanner.
constexpr int kSelfDeletionAttempts = 300;

// The script's text (wide), without its code-page line (install/batch.h's BatchFileBytes adds it
// and chooses the encoding). `subfolder` is the uninstall subfolder relative to `installFolder`
// (may be empty or hold several levels). Percent signs of the paths are doubled, so that the
// command interpreter does not take them for variables.
String SelfDeletionScriptText(const String &programPath, const String &installFolder, const String &subfolder,
                              const String &scriptPath);

// Batch files: a batch text of the setup script made into "SETUPBAT.BAT" with a block of SET
// commands in front that publishes the installation's folders and values.
//
//   @chcp 1252 >nul | @chcp 65001 >nul     first line: the code page the file is written in
//   @echo off
//   SET "InstallDir=..."  ... 36 quoted assignments ...  SET "AppDataAllDir=..."
//   SET InstallDrive=..   SET BootDrive=..   SET Version=..   SET OldVersion=..
//   SET OldVersionMajor=..   SET OldVersionMinor=..
//   <the batch text>
//
// The file is Windows-1252 when Windows is older than 7 or every character is ASCII, else UTF-8;
// line ends are CR LF throughout. This part is portable; running it is batch_win.cpp's.
#pragma once

#include "core/string.h"
#include "setupdata/path_variables.h"

constexpr char16_t kBatchFileName[] = u"SETUPBAT.BAT";
constexpr char16_t kBatchCaptureFileName[] = u"cs_batch.log";

// The 42 SET lines (wide), each value as it stands now.
String BatchSetBlock(PathValueSource &source, const PathVariableState &state);

// Removes every line that is a PAUSE command: after trimming blanks, tabs and line breaks and one
// leading "@" (and blanks after it), the line equals "PAUSE" in any case. Other lines unchanged.
void RemovePauseLines(String &text8);

// The bytes of the batch file for the whole wide text (SET block and batch): the chcp line, the
// encoding by the rule above, line ends normalised to CR LF and a final line end.
String BatchFileBytes(const String &wide, bool olderThanWindows7);

// The batch text with a command-line addition (/b1 to /b3) on a line of its own.
void AppendBatchAddition(String &text8, const String &addition8);

// A batch's captured output as the log takes it: trailing blanks, tabs and line breaks removed,
// then CR LF; empty when nothing remains.
String CapturedBatchOutput(const String &bytes);

// The file step of the install sequence (install/file_step.h has its inputs and lists).
#pragma once

#include "install/file_step.h"

// Corruption codes of the file records that the step raises itself.
constexpr int kCorruptionFileType = 110;
constexpr int kCorruptionAppletName = 78;
constexpr int kCorruptionAppletClass = 79;

// Every file record in order, with progress 28 + i x 62 / n before record i; then the file data is
// closed (codes 80 and 83). Corruption of a record ends the run before its file is touched.
void InstallFiles(FileStepInput &input, FileStepLists &lists);

// After the last record: WM_FONTCHANGE when fonts were installed, and the system's pending file
// operations that would undo a file written now are removed (their temporary files go to the
// Recycle Bin).
void FinishFiles(FileStepInput &input, FileStepLists &lists);

// With uninstall support: each shared file's count under SharedDLLs rises by one, once per file
// over all installations (`sharedFilesText` is the SharedFiles text of the uninstall entry,
// loaded from the previous installation and extended here).
void IncrementSharedFileCounts(FileStepInput &input, const FileStepLists &lists, String &sharedFilesText);

// COM files through regsvr32 (DllRegisterServer when that fails), then type libraries; each in a
// crash guard. Nothing when both lists are empty.
void RegisterComFiles(FileStepInput &input, const FileStepLists &lists);

// INF files through SetupCopyOEMInfW, each in a crash guard. Nothing when the list is empty.
void InstallDrivers(FileStepInput &input, FileStepLists &lists);

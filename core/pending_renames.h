// The system's pending rename list ("PendingFileRenameOperations"): pairs of source and target that
// the session manager works off at the next start; an empty target deletes the source. Names carry
// the NT prefix "\??\", and a target may start with "!" (replace an existing file).
//
// After an installation writes files (or an uninstallation deletes them), an older pending move
// onto one of them would undo that work at the next start: such entries are taken off the list.
// This file is the list processing; core/pending_renames_win.cpp reads and writes the registry.
#pragma once

#include "core/array.h"
#include "core/list.h"
#include "core/string.h"

// Lower-cased paths in 8-bit path text (PathTextFromWide with its default, then ASCII letters
// lowered): the files an installation wrote or an uninstallation deleted.
using PathTextSet = List<Bucket<bool, String>>;

// Receives the log lines; null when nothing is logged (uninstall mode).
using PendingLogSink = void (*)(const char *text);

// The elements of a REG_MULTI_SZ value (raw bytes of UTF-16 text), each as wide text. Empty
// elements in the middle are kept (they are the targets of deletions); the empty string that ends
// the list is not an element.
Array<String> SplitMultiString(const String &raw);
// The raw REG_MULTI_SZ bytes of `elements`: each with its terminating zero, then the list's own.
String JoinMultiString(const Array<String> &elements);

// The key form of a name in the list: leading "\", "?" and "!" stripped, in 8-bit path text,
// ASCII letters lowered.
String PendingRenameKey(const String &wideName);

// Walks `entries` by pairs (an odd list first gets an empty target) and removes every pending
// move whose target is in `set` and every pending deletion whose source is empty or in `set`.
// Each removal is logged (after a line break before the first); the sources of removed moves,
// prefix stripped, are added to `recycle` (wide). Returns the number of pairs removed.
int CleanPendingRenameList(Array<String> &entries, const PathTextSet &set, PendingLogSink log,
                           Array<String> &recycle);

// Takes the entries concerning `set` off the system's list: the sources of removed moves go to the
// Recycle Bin, and the value is written back only when something was removed. A missing key or
// value is nothing to do; false (with the system's last error) only when the cleaned list could not
// be written back.
bool CleanPendingOperations(const PathTextSet &set, PendingLogSink log);

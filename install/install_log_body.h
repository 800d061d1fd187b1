// The temporary body of the installation log: a file with a generated name in the user's temporary
// folder, opened when the install sequence starts and deleted when the log is finished or the
// program exits. While it is open the log operations of install/install_log.h write into it.
#pragma once

#include "core/string.h"

class File;

// Creates the body file and makes it the log's sink. False (and the log stays silent) when no file
// could be created; the installation goes on without a body.
bool OpenLogBody();
// Copies the whole body, start to end, to the current position of `to`. False on a read or write
// failure (`to` has the error text) or when no body is open.
bool CopyLogBody(File &to);
// Closes and deletes the body file; the log becomes silent. Safe to call more than once.
void DiscardLogBody();

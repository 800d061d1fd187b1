// Notification requests: an HTTP GET of a configured address at install start, after the wizard and
// after an uninstallation. The answer is ignored; the request runs on its own thread, which shares
// nothing with the main thread but its copy of the address, and ExitInstaller waits for it.
#pragma once

#include "core/string.h"

// Does nothing when ADDRESS (wide text) is empty. Otherwise adds the program's own file to the
// Windows Firewall's authorised applications (once per run), replaces "%version%" in the address
// by VERSION (wide text) and starts the request thread.
void StartNotificationRequest(const String &address, const String &version);

// Waits for every request thread and releases it, then removes the firewall entry when a request
// added it. Part of the orderly exit.
void FinishNotificationRequests();

// The text of ADDRESS with every "%version%" replaced by VERSION (both wide text).
String NotificationAddress(const String &address, const String &version);

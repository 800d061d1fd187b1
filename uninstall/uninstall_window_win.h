// What the uninstaller shows besides its message boxes, made of the installer's own parts: the
// installer window with the look read back from the uninstall entry, the progress page, the
// programs to close and the support offer.
#pragma once

#include "uninstall/uninstall_context.h"

// "uninstall.ico" of the uninstall data folder becomes the windows' icon; then, unless the product
// wants no installer window or there is no user interface at all, the window is created with the
// entry's look (and its background picture with ProductFlags 0x8000).
void OpenUninstallerWindow(const UninstallContext &context);

// The programs to close of `phase` (2: those closed without asking, 4: those that ask).
void CloseUninstallPrograms(uint8_t phase);

// The entry's "SupportOffer", when it is a web address, offered in its dialog. True when the user
// asked for support: the address has been opened and nothing is to be removed.
bool UserTookSupportOffer(const UninstallContext &context);

// The progress page in the uninstaller's layout (its text language string 71 and the headline).
void OpenUninstallProgress(const UninstallContext &context);
// The page goes (before the final messages, with ProductFlags 0x8000000000000).
void CloseUninstallProgress();

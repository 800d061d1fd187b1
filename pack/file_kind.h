// The formats of the files a project names for the wizard and the window, checked by their
// leading bytes: an icon that is not an icon would leave the product without one, a picture that
// is not a bitmap paints nothing, a sound that is not a wave file plays nothing.
#pragma once

#include <string>

enum class FileKind { Any, Icon, Bitmap, Wave };

// Null when `bytes` can be a file of `kind`; otherwise what the file should have been
// ("an icon (ICO file)"), for "... is not <that>".
const char *WrongFormat(const std::string &bytes, FileKind kind);

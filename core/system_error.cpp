#include "core/system_error.h"

String SystemError::Describe() const { return text.Empty() ? SystemErrorText(number) : text; }

// The option bits that the wizard pages consult (masks on the whole word, as in
// setupdata/settings_flags.h, which holds the bits of the other subsystems).
#pragma once

#include <cstdint>

namespace WizardFlag {
constexpr uint64_t CancelDisabled = 0x200000;                 // no Cancel on the progress page
constexpr uint64_t KeepWindowTitle = 0x40000000000;           // a language change keeps the title
constexpr uint64_t ProductIcons = 0x10000000000000;           // pages and boxes carry the program icon
constexpr uint64_t OfferViewLog = 0x200000000000000;          // the finish page offers the log
} // namespace WizardFlag

namespace WizardFlag2 {
constexpr uint32_t LaunchTicked = 0x4;
constexpr uint32_t OpenFileTicked = 0x8;
constexpr uint32_t OpenSecondFileTicked = 0x10;
} // namespace WizardFlag2

// What the install sequence shows while it runs: a status line, a position in percent, and the end
// of the progress display.
//
// The sequence talks to one ProgressPage. The wizard's progress page implements it and registers
// itself with SetProgressPage when it opens; without one (no window wanted, or before the page
// exists) the default page keeps the status text and posts positions to the installer window.
// Whatever page is active, every position is also posted to the installer window as
// kProgressPositionMessage with the percentage as wParam (the window paints its own bar from it),
// and messages pending after the post are processed, so the window stays alive between items.
#pragma once

#include <cstdint>

#include "core/string.h"

// WM_USER + 2: the percentage goes to the installer window with this message.
constexpr unsigned kProgressPositionMessage = 0x400 + 2;

class ProgressPage {
public:
    virtual ~ProgressPage() = default;
    // The status line: a language string or a path (wide text).
    virtual void SetStatus(const String &wide) = 0;
    // The bar of the page itself, 0 to 100.
    virtual void SetPosition(int percent) = 0;
    // The page goes away (end of the sequence; the finish page follows).
    virtual void Close() = 0;
    // The page's window becomes the active window again: registering COM servers and type
    // libraries runs other programs (regsvr32) and loads foreign code that may bring windows of
    // its own forward. Nothing to do for a page without a window.
    virtual void Activate() {}
};

// The page the sequence talks to from now on; null returns to the default page.
void SetProgressPage(ProgressPage *page);
ProgressPage &CurrentProgressPage();

// The status line: shown on the page, and the moment remembered for the step delay.
void ProgressStatus(const String &wide);
void ProgressStatusRow(int languageRow);    // the language string of that row
// The position: to the page and to the installer window, then pending messages processed.
void ProgressPosition(int percent);
// The last status text and the tick count at which it was set (for the step delay).
// The page made the active window again (after the COM servers and type libraries).
void ProgressActivate();
const String &ProgressStatusText();
uint32_t ProgressStatusTick();

// Where positions and ticks come from and go to; the program's own in progress_win.cpp, a test's
// in the unit tests.
struct ProgressPlatform {
    void (*postPosition)(int percent) = nullptr;   // to the installer window, messages pumped
    uint32_t (*tickCount)() = nullptr;
    void (*trace)(const char *what, int value, const String &wide) = nullptr;   // test trace
};
void SetProgressPlatform(const ProgressPlatform &platform);

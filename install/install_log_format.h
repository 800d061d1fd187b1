// The frame of "Install.log": what FinishInstallLog puts around the body.
//
//   [EF BB BF]                         only at the very start of the file
//   [separator]                        before every header but the first
//   Installation log for: <product>\r\n
//   Install date: d-M-yy h:ii:ssap\r\n
//   Install type: Reinstall | New\r\n  only with uninstall support
//   Install location: <folder>\r\n
//   Installer version: 36.0\r\n
//   Product version: <version>\r\n     only when not empty
//   Overwriting version: <old>\r\n     only when not empty
//   Operating system: Windows ...\r\n\r\n
//   <body>\r\n
//   *** FAILURE SUMMARY ***\r\n<summary>   or   <language string 43>\r\n
//
// Everything is UTF-8. A log left by an older installer has no byte-order mark and is 8-bit
// (Windows-1252) text: it is converted before the new installation is appended.
#pragma once

#include "core/date_time.h"
#include "core/string.h"

constexpr char kLogSeparator[] = "\r\n\r\n**********************************************\r\n";
constexpr char kLogByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char kFailureSummaryHeading[] = "*** FAILURE SUMMARY ***\r\n";
constexpr char16_t kInstallerVersion[] = u"36.0";
constexpr char16_t kLogFileName[] = u"Install.log";
constexpr char16_t kLogDatePattern[] = u"d-M-yy h:ii:ssap";

struct LogHeader {
    String productName;        // wide
    DateTime installDate;      // local time
    bool uninstallSupport = false;
    bool reinstall = false;
    String installLocation;    // wide
    String productVersion;     // wide
    String oldVersion;         // wide
    String operatingSystem;    // wide
};

// The header lines as wide text, ending with the empty line.
String BuildLogHeader(const LogHeader &header);

// An existing log's bytes as they must stand before appending: unchanged when empty or beginning
// with the byte-order mark; otherwise converted from Windows-1252 to UTF-8 with the mark in front.
// Returns whether the bytes were changed (the file must be rewritten).
bool UpgradeOldLog(String &bytes);

// What goes between the existing bytes and the header: the mark for an empty file, else the
// separator.
const char *LogLead(bool fileEmpty);

#include "install/file_replace.h"

#include "core/date_compare.h"
#include "core/dotted_version.h"

#include <utility>

namespace {

bool IsVersionTyped(int32_t type) { return type >= kFileTypeSystem && type <= kFileTypeVersioned; }
bool IsDateTyped(int32_t type) { return type == kFileTypeShared || type == kFileTypeFont; }

// Types whose file in the installation folder belongs to the product: the uninstaller removes it
// even when this installation kept the one that was there.
bool IsProductFileType(int32_t type)
{
    return type == kFileTypeProgram || type == kFileTypeStartup ||
           (type >= kFileTypeVersioned && type <= kFileTypeControlPanel);
}

bool Permanent(const FileRecord &record) { return (record.flags & kFileFlagPermanent) != 0; }

ReplaceOutcome Install(const char *text = "")
{
    ReplaceOutcome outcome;
    outcome.install = true;
    outcome.logText = text;
    return outcome;
}

ReplaceOutcome Skip(String text, bool keepForUninstall)
{
    ReplaceOutcome outcome;
    outcome.logText = std::move(text);
    outcome.keepForUninstall = keepForUninstall;
    return outcome;
}

ReplaceOutcome CompareVersionAndDate(const FileRecord &record, const ExistingFile &existing)
{
    const bool keep = record.type == kFileTypeVersioned && !Permanent(record);
    String reason;
    if (!record.version.Empty() && !existing.version.Empty()) {
        if (CompareDottedVersions(record.version.Bytes(), existing.version.Bytes()) <= 0)
            return Skip(String::Format(kLogVersionNotNewer, record.version.Bytes(),
                                       existing.version.Bytes()),
                        keep);
        reason = String::Format(kLogVersionNewer, record.version.Bytes(), existing.version.Bytes());
    }
    if (existing.timeKnown) {
        const String recordDate = FormatRecordDate(record.time);
        const String existingDate = FormatRecordDate(existing.time);
        if (CompareDateTime(record.time, existing.time) <= 0)
            return Skip(String::Format(kLogDateNotNewer, recordDate.Bytes(), existingDate.Bytes()), keep);
        if (!reason.Empty())
            reason.Append(" and ");
        reason.AppendFormat(kLogDateNewer, recordDate.Bytes(), existingDate.Bytes());
    }
    if (reason.Empty())
        return Install(kLogOutOfDate);
    ReplaceOutcome outcome = Install(kLogNeedsReplacement);
    outcome.logText.Append(reason).Append("\r\n");
    return outcome;
}

ReplaceOutcome CompareByType(const FileRecord &record, const ExistingFile &existing)
{
    if (!existing.exists)
        return Install();
    if (IsDateTyped(record.type)) {
        const bool upToDate = HasDate(record.time) && HasTime(record.time) && existing.timeKnown &&
                              CompareDateTime(existing.time, record.time) >= 0;
        return upToDate ? Skip(kLogUpToDate, false) : Install(kLogOutOfDate);
    }
    if (IsVersionTyped(record.type))
        return CompareVersionAndDate(record, existing);
    return Install();
}

} // namespace

ReplaceOutcome DecideReplacement(const FileRecord &record, const ExistingFile &existing)
{
    const bool keep = existing.exists && IsProductFileType(record.type) && !Permanent(record);
    switch (record.flags & kFileReplacementMask) {
    case kReplaceNever:
    case kReplaceNever2:
        return Skip(String(), false);
    case kReplaceOnlyExisting:
        if (!existing.exists)
            return Skip(kLogNotInstalledMissing, false);
        break;
    case kReplaceOnlyMissing:
        if (existing.exists)
            return Skip(kLogNotInstalledExists, keep);
        break;
    case kReplaceUnlessNewer:
        if (existing.exists && HasDate(record.time) && HasTime(record.time) && existing.timeKnown &&
            CompareDateTime(existing.time, record.time) > 0)
            return Skip(kLogNotInstalledNewer, keep);
        break;
    default:
        break;
    }
    return CompareByType(record, existing);
}

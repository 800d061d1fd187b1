#include "install/association_rules.h"

#include "core/ascii_text.h"
#include "core/path_text.h"

namespace {
const char16_t kRecordSeparator[] = u"~!~";
}

String AssociationBackupName(const String &productName)
{
    String name(productName);
    name.AppendWide(u" Backup");
    name.RemoveCharsWide(u"\\\r\n\t");
    return name;
}

String NormalisedExtension(const String &extension)
{
    if (extension.Empty() || extension.Wide()[0] == u'.')
        return extension;
    String result(u".");
    result.Append(extension);
    return result;
}

String FormatAssociationRecord(const String &extension, const String &className, const String &verb,
                               const String &icon)
{
    String line(extension);
    line.AppendWide(kRecordSeparator);
    line.Append(className);
    line.AppendWide(kRecordSeparator);
    line.Append(verb);
    line.AppendWide(kRecordSeparator);
    line.Append(icon);
    String record = PathTextFromWide(line);
    record.Append("\r\n");
    return record;
}

bool ParseAssociationRecord(const String &line, AssociationRecord &record)
{
    String text = PathTextToWide(line);
    text.TrimRightWide(u"\r\n");
    String *fields[] = {&record.extension, &record.progId, &record.verb, &record.icon};
    const char16_t *w = text.Wide();
    const int32_t n = text.WideLength();
    const int32_t separator = 3;
    int32_t start = 0;
    int field = 0;
    for (int32_t i = 0; i < n && field < 3; ++i) {
        if (i + separator <= n && w[i] == u'~' && w[i + 1] == u'!' && w[i + 2] == u'~') {
            *fields[field++] = String(w + start, i - start);
            start = i + separator;
            i = start - 1;
        }
    }
    *fields[field] = String(w + start, n - start);
    for (int rest = field + 1; rest < 4; ++rest)
        fields[rest]->Clear();
    return !IsBlankWide(record.extension) && !IsBlankWide(record.progId) &&
           !IsBlankWide(record.verb);
}

String AssociationClassWithoutMarker(const String &className)
{
    String name(className);
    name.StripLeadingWide(u'!');
    return name;
}

AssociationClassChoice ChooseAssociationClass(const String &className, const String &registeredClass,
                                              String &useClass)
{
    const bool marked = !className.Empty() && className.Wide()[0] == u'!';
    if (className.Empty() || marked) {
        if (!IsBlankWide(registeredClass)) {
            useClass = registeredClass;
            return AssociationClassChoice::UseRegistered;
        }
        if (className.Empty()) {
            useClass.Clear();
            return AssociationClassChoice::NoLabel;
        }
    }
    useClass = AssociationClassWithoutMarker(className);
    // "!" alone names no class at all.
    return useClass.Empty() ? AssociationClassChoice::NoLabel : AssociationClassChoice::SetOwn;
}

bool ShouldBackUpDefault(bool oldExists, const String &oldValue, const String &newValue,
                         bool backupExists, const String &backupValue)
{
    if (!oldExists || IsBlankWide(oldValue) || oldValue == newValue)
        return false;
    return !(backupExists && !IsBlankWide(backupValue));
}

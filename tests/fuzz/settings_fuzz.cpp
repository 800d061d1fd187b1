// Reads arbitrary bytes as a settings record. Corruption is expected and caught. What is read
// without complaint may still not fit the writer's forms (a default copied from a counted text into
// a zero-ended one may hold a zero); when it does, the written record must read back to settings
// that write the same record again.
#include <cstdint>
#include <cstdlib>

#include "setupdata/corruption.h"
#include "setupdata/settings.h"
#include "setupdata/settings_stream.h"

namespace {

struct CorruptionRaised {};

void ThrowCorruption(int) { throw CorruptionRaised(); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SetCorruptionHandler(ThrowCorruption);
    SettingsStream in(data, static_cast<int32_t>(size));
    Settings first;
    try {
        ReadSettings(in, SettingsInputs(), first);
    } catch (const CorruptionRaised &) {
        return 0;
    }
    String record, problem;
    if (!WriteSettings(first, record, problem))
        return 0;
    SettingsStream again(record);
    Settings second;
    ReadSettings(again, SettingsInputs(), second);
    String rewritten;
    if (!WriteSettings(second, rewritten, problem) || !(rewritten == record))
        std::abort();
    return 0;
}

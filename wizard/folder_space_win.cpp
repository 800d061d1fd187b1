#include "core/wide_win.h"
#include "wizard/folder_space_win.h"

#include <windows.h>

#include "setupdata/settings.h"
#include "setupdata/setup_data_win.h"
#include "wizard/page_rules.h"

namespace {

constexpr int64_t kDefaultCluster = 4096;

int64_t ClusterSize(const String &root)
{
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (root.Empty() || !GetDiskFreeSpaceW(AsWide(root), &sectorsPerCluster,
                                           &bytesPerSector, &freeClusters, &clusters))
        return kDefaultCluster;
    const int64_t size = int64_t(sectorsPerCluster) * bytesPerSector;
    return size > 0 ? size : kDefaultCluster;
}

} // namespace

String DriveRootOf(const String &folder)
{
    const char16_t *text = folder.Wide();
    if (folder.WideLength() < 2 || text[1] != u':')
        return String();
    const char16_t letter = text[0];
    if (!((letter >= u'a' && letter <= u'z') || (letter >= u'A' && letter <= u'Z')))
        return String();
    const char16_t root[] = {letter, u':', u'\\', 0};
    return String(root);
}

int64_t RequiredSpaceOn(const String &folder)
{
    const std::vector<int32_t> &sizes = g_setupData.container.header.fileSizes;
    return RequiredSpace(sizes.data(), sizes.size(), ClusterSize(DriveRootOf(folder)), g_setupData.uninstallerSize,
                         g_settings.ExtraSpace);
}

bool FreeSpaceOn(const String &folder, int64_t &bytes)
{
    const String root = DriveRootOf(folder);
    ULARGE_INTEGER available, total, totalFree;
    if (root.Empty() ||
        !GetDiskFreeSpaceExW(AsWide(root), &available, &total, &totalFree))
        return false;
    const int64_t value = static_cast<int64_t>(available.QuadPart);
    bytes = value < 0 ? 0 : value;
    return true;
}

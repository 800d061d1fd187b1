#include "core/list.h"

int32_t ListBucketsFor(int32_t expected)
{
    if (expected < 0)
        expected = 0;
    // trunc((n + 1) * 1.25) in integers: (n + 1) * 5 / 4.
    const int64_t buckets = (static_cast<int64_t>(expected) + 1) * 5 / 4;
    return buckets > INT32_MAX ? INT32_MAX : static_cast<int32_t>(buckets);
}

#include "setupdata/zlib_stream.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <zlib.h>

namespace {

constexpr int64_t kMaxStringLength = INT32_MAX - 2;   // room for the two terminating zero bytes

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Output space: the String's length is its allocation, the produced bytes are counted separately,
// so that growing never reallocates more than once per doubling (String::Resize on its own would
// trim a larger reservation back to the new length).
class OutputBuffer {
public:
    OutputBuffer(String &s, int64_t reserve) : s_(s), used_(s.Length())
    {
        Ensure(reserve);
    }

    // Makes at least `room` bytes free after the produced ones; false when that would pass what a
    // String can hold.
    bool Ensure(int64_t room)
    {
        const int64_t needed = used_ + room;
        if (needed <= s_.Length())
            return true;
        if (needed > kMaxStringLength)
            return false;
        int64_t grown = int64_t(s_.Length()) * 2;
        if (grown < needed)
            grown = needed;
        if (grown > kMaxStringLength)
            grown = kMaxStringLength;
        s_.Resize(int32_t(grown));
        return true;
    }

    uint8_t *Free() { return reinterpret_cast<uint8_t *>(s_.MutableBytes()) + used_; }
    int64_t FreeSize() const { return s_.Length() - used_; }
    void Produced(int64_t n) { used_ += n; }
    int64_t Used() const { return used_; }
    void Finish() { s_.Resize(int32_t(used_)); }

private:
    String &s_;
    int64_t used_;
};

} // namespace

bool InflateAppend(const void *input, int32_t length, String &output, InflateProgress progress,
                   void *progressContext)
{
    if (length < 0)
        return false;
    z_stream z;
    std::memset(&z, 0, sizeof z);
    if (inflateInit(&z) != Z_OK)
        return false;

    const int64_t reserve = int64_t(length) * kInflateReserveFactor + kInflateReserveExtra;
    OutputBuffer out(output, reserve < kMaxStringLength - output.Length()
                                 ? reserve
                                 : kMaxStringLength - output.Length());
    const int64_t startUsed = out.Used();
    const uint8_t *next = static_cast<const uint8_t *>(input);
    int32_t left = length;
    // The first report comes after the first call, the later ones at least 200 ms apart.
    int64_t lastReport = progress ? NowMs() - kInflateProgressIntervalMs : 0;
    bool ok = true;

    do {
        const int32_t piece = left < kInflatePieceSize ? left : kInflatePieceSize;
        z.next_in = const_cast<Bytef *>(next);
        z.avail_in = uInt(piece);
        next += piece;
        left -= piece;
        int rc;
        do {
            if (!out.Ensure(kInflateDrainSize)) {
                ok = false;
                break;
            }
            z.next_out = out.Free();
            z.avail_out = kInflateDrainSize;
            rc = inflate(&z, Z_NO_FLUSH);
            out.Produced(kInflateDrainSize - int64_t(z.avail_out));
            if (rc == Z_STREAM_ERROR || rc == Z_MEM_ERROR) {
                ok = false;
                break;
            }
            if (progress) {
                const int64_t now = NowMs();
                if (now - lastReport >= kInflateProgressIntervalMs) {
                    lastReport = now;
                    const int64_t consumed = length - left - int64_t(z.avail_in);
                    if (progress(progressContext, consumed, length, (out.Used() - startUsed) * 8)) {
                        ok = false;
                        break;
                    }
                }
            }
        } while (z.avail_out == 0);
        // What inflate left of this piece (after the end of the stream or a data error) is not
        // looked at again.
    } while (ok && left > 0);

    inflateEnd(&z);
    out.Finish();
    return ok;
}

bool DeflateAppend(const void *input, int32_t length, int level, String &output)
{
    if (length < 0 || level < Z_DEFAULT_COMPRESSION || level > Z_BEST_COMPRESSION)
        return false;
    z_stream z;
    std::memset(&z, 0, sizeof z);
    if (deflateInit(&z, level) != Z_OK)
        return false;
    OutputBuffer out(output, int64_t(deflateBound(&z, uLong(length))));
    z.next_in = const_cast<Bytef *>(static_cast<const Bytef *>(input));
    z.avail_in = uInt(length);
    int rc = Z_OK;
    while (rc == Z_OK) {
        if (!out.Ensure(kInflateDrainSize)) {
            rc = Z_MEM_ERROR;
            break;
        }
        z.next_out = out.Free();
        z.avail_out = uInt(out.FreeSize() < INT32_MAX ? out.FreeSize() : INT32_MAX);
        const uInt offered = z.avail_out;
        rc = deflate(&z, Z_FINISH);
        out.Produced(offered - z.avail_out);
    }
    deflateEnd(&z);
    out.Finish();
    return rc == Z_STREAM_END;
}

// zlib streams of the setup data: the script block and the file data chunks are zlib-wrapped
// deflate streams (default 15-bit window).
#pragma once

#include <cstdint>

#include "core/string.h"

constexpr int32_t kInflatePieceSize = 16384;        // input given to inflate per call, at most
constexpr int32_t kInflateDrainSize = 16384;        // output space offered per call
constexpr int32_t kInflateReserveFactor = 3;        // output reserved: 3 x input + 1,024
constexpr int32_t kInflateReserveExtra = 1024;
constexpr int kInflateProgressIntervalMs = 200;

// Called after the first inflate call and then at most every 200 ms, with the input consumed so far, the input total and
// the output produced so far in bits; returning true cancels the inflation.
using InflateProgress = bool (*)(void *context, int64_t consumed, int64_t total, int64_t producedBits);

// Inflates `length` bytes and appends the result to `output`. Only a stream error from zlib, a
// failure to set zlib up, a cancellation or output that no String can hold fail; a data error or an
// early end of the stream keeps what was produced and succeeds (the checksum that follows every
// inflation catches damaged data).
bool InflateAppend(const void *input, int32_t length, String &output,
                   InflateProgress progress = nullptr, void *progressContext = nullptr);

// Deflates `length` bytes as a zlib stream at `level` (0 to 9, or -1 for zlib's default) and
// appends it to `output`. False when zlib fails or the result cannot be held.
bool DeflateAppend(const void *input, int32_t length, int level, String &output);

// Fuzzes the file data reader past the block checksum: the chunk framing, decryption, inflation,
// the record stream with records spanning chunks, and the file record fields. Input layout in
// fuzz_support.h; in framed mode the target makes every chunk's size and checksum right, so the
// fuzzer's bytes reach the record parser in every storage mode.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "setupdata/checksum.h"
#include "setupdata/zlib_stream.h"

namespace {

String FramedBlock(const uint8_t *p, const uint8_t *end, bool compressed, const Blowfish *cipher)
{
    String block;
    while (p < end) {
        const size_t announced = *p++;
        const size_t n = announced < size_t(end - p) ? announced : size_t(end - p);
        String stored;
        if (compressed)
            DeflateAppend(p, int32_t(n), 1, stored);
        else
            stored.Assign(reinterpret_cast<const char *>(p), int32_t(n));
        p += n;
        if (cipher)
            cipher->EncryptProtected(stored);
        AppendInt32(block, stored.Length());
        AppendInt32(block, int32_t(SetupChecksum(stored.Bytes(), stored.Length())));
        block.Append(stored);
    }
    return block;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    InstallFuzzSeams();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    if (size < size_t(kFuzzPrefixSize))
        return 0;
    const uint8_t mode = bytes[0];
    SetupContainer container;
    if (mode & kFuzzEncrypted) {
        container.header.productFlags2 = ProductFlag2::Blowfish;
        for (int i = 0; i < kSetupKeySize; ++i)
            container.header.key[i] = bytes[1 + i];
        PrepareSetupCipher(container.header, container.cipher);
    }
    const int count = bytes[9] & 0xF;
    const uint8_t *p = bytes + kFuzzPrefixSize;
    const uint8_t *end = bytes + size;
    for (int i = 0; i < count && end - p >= 2; ++i, p += 2)
        container.header.fileSizes.push_back(p[0] | p[1] << 8);

    const bool compressed = (mode & kFuzzCompressed) != 0;
    const String block = (mode & kFuzzFramed)
                             ? FramedBlock(p, end, compressed, container.header.Protected() ? &container.cipher : nullptr)
                             : String(reinterpret_cast<const char *>(p), int32_t(end - p));
    container.header.dataSize = block.Length();
    container.header.dataChecksum = SetupChecksum(block.Bytes(), block.Length());

    try {
        FileData data;
        OpenFileData(data, container, compressed ? ProductFlag::CompressedChunks : 0, block.Data(),
                     FileDataHooks());
        ReadAllFiles(data, container.header.fileSizes);
    } catch (const FuzzInputRejected &) {
    }
    return 0;
}

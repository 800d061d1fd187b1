// The file data's chunks compressed on every core and written in order.
//
// Each chunk is an independent zlib stream, so workers compress (libdeflate), encrypt and
// checksum chunks side by side while the packing thread reads the next files; the packing thread
// writes finished chunks, framed, in the order they were submitted. At most a few chunks per
// worker are in flight, so memory stays bounded whatever the payload's size, and the bytes are
// the same whatever the number of workers.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/string.h"
#include "setupdata/blowfish.h"
#include "setupdata/checksum.h"

class OutputFile;

class ChunkPipeline {
public:
    // `threads` 0: one per core. `compress` false stores chunks as they are (no zlib stream).
    ChunkPipeline(OutputFile &out, bool compress, int level, const Blowfish *cipher, unsigned threads);
    ~ChunkPipeline();
    ChunkPipeline(const ChunkPipeline &) = delete;
    ChunkPipeline &operator=(const ChunkPipeline &) = delete;

    // Queues one chunk's record-stream bytes; waits while the queue is full. False once a chunk
    // failed or the block outgrew the format.
    bool Submit(const String &chunk);
    // Waits for every chunk and writes it. False when any failed.
    bool Finish();

    int64_t DataSize() const { return dataSize_; }
    uint32_t DataChecksum() const { return dataChecksum_.Result(); }

private:
    struct Job {
        String bytes;          // raw on submission, stored (framed) when done
        bool done = false;
        bool failed = false;
    };

    void Work();
    void Encode(Job &job, void *compressor, void *storer, void *sampler) const;
    std::shared_ptr<Job> TakeFront(bool wait);
    void Write(const Job &job);

    OutputFile &out_;
    const bool compress_;
    const int level_;
    const Blowfish *cipher_;
    size_t maxInFlight_;
    std::mutex mutex_;
    std::condition_variable workReady_, jobDone_;
    std::deque<std::shared_ptr<Job>> inFlight_;   // submission order
    std::deque<std::shared_ptr<Job>> todo_;
    bool stopping_ = false;
    bool failed_ = false;
    std::vector<std::thread> workers_;
    int64_t dataSize_ = 0;
    SetupChecksumAccumulator dataChecksum_;
};

#include "pack/chunk_pipeline.h"

#include <libdeflate.h>

#include <cstring>

#include "pack/output_file.h"
#include "setupdata/container.h"
#include "setupdata/setup_cursor.h"

namespace {

// Chunks in flight per worker: enough that no worker waits for the writer, few enough that
// memory holds a handful of chunks per core.
constexpr size_t kChunksPerWorker = 3;

// A chunk none of whose samples shrinks at the fastest level is taken as incompressible
// (compressed media, archives, random data) and stored without trying harder. Samples are spread
// over the chunk, since a chunk often holds the end of one file and the start of another.
constexpr size_t kSampleSize = 8 * 1024;
constexpr size_t kSampleCount = 8;
constexpr double kIncompressibleRatio = 0.97;

struct Compressors {
    libdeflate_compressor *level = nullptr, *store = nullptr, *sample = nullptr;
    ~Compressors()
    {
        libdeflate_free_compressor(level);
        libdeflate_free_compressor(store);
        libdeflate_free_compressor(sample);
    }
};

// A zlib stream of `length` bytes with `compressor`; empty when it failed.
String ZlibStream(libdeflate_compressor *compressor, const char *bytes, size_t length)
{
    String out;
    const size_t bound = libdeflate_zlib_compress_bound(compressor, length);
    if (bound > size_t(INT32_MAX) || !out.TryResize(int32_t(bound)))
        return String();
    const size_t n = libdeflate_zlib_compress(compressor, bytes, length, out.MutableBytes(), bound);
    out.Resize(int32_t(n));
    return out;
}

} // namespace

ChunkPipeline::ChunkPipeline(OutputFile &out, bool compress, int level, const Blowfish *cipher,
                             unsigned threads)
    : out_(out), compress_(compress), level_(level), cipher_(cipher)
{
    if (threads == 0)
        threads = std::thread::hardware_concurrency();
    if (threads == 0)
        threads = 1;
    maxInFlight_ = kChunksPerWorker * threads;
    for (unsigned i = 0; i < threads; ++i)
        workers_.emplace_back(&ChunkPipeline::Work, this);
}

ChunkPipeline::~ChunkPipeline()
{
    {
        // A run that failed half-way does not wait for chunks nobody will write.
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        todo_.clear();
    }
    workReady_.notify_all();
    for (std::thread &t : workers_)
        t.join();
}

void ChunkPipeline::Work()
{
    // Each worker has its own compressors: libdeflate's are not shared between threads.
    Compressors c;
    c.level = libdeflate_alloc_compressor(level_);
    c.store = libdeflate_alloc_compressor(0);
    c.sample = libdeflate_alloc_compressor(1);
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            workReady_.wait(lock, [&] { return stopping_ || !todo_.empty(); });
            if (todo_.empty())
                return;
            job = todo_.front();
            todo_.pop_front();
        }
        if (c.level && c.store && c.sample)
            Encode(*job, c.level, c.store, c.sample);
        else
            job->failed = true;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            job->done = true;
        }
        jobDone_.notify_all();
    }
}

void ChunkPipeline::Encode(Job &job, void *compressor, void *storer, void *sampler) const
{
    String stored;
    if (compress_) {
        const char *raw = job.bytes.Bytes();
        const size_t length = size_t(job.bytes.Length());
        auto *level = static_cast<libdeflate_compressor *>(compressor);
        auto *store = static_cast<libdeflate_compressor *>(storer);
        bool incompressible = level_ > 0 && length >= kSampleSize * kSampleCount;
        for (size_t i = 0; incompressible && i < kSampleCount; ++i) {
            const size_t at = (length - kSampleSize) / (kSampleCount - 1) * i;
            const String sample =
                ZlibStream(static_cast<libdeflate_compressor *>(sampler), raw + at, kSampleSize);
            incompressible = !sample.Empty() && double(sample.Length()) > kIncompressibleRatio * kSampleSize;
        }
        stored = ZlibStream(incompressible ? store : level, raw, length);
        // Compression that grew the chunk: stored blocks are smaller and inflate faster. Stored
        // blocks add at least the stream's own 6 bytes, so only a chunk that did not shrink can gain.
        if (!incompressible && level_ > 0 && stored.Length() >= int32_t(length)) {
            String plain = ZlibStream(store, raw, length);
            if (!plain.Empty() && plain.Length() < stored.Length())
                stored = std::move(plain);
        }
        if (stored.Empty()) {
            job.failed = true;
            return;
        }
    } else {
        stored = job.bytes;
    }
    if (cipher_)
        cipher_->EncryptProtected(stored);
    String framed;
    if (!framed.TryResize(kChunkHeaderSize + stored.Length())) {
        job.failed = true;
        return;
    }
    uint8_t *frame = reinterpret_cast<uint8_t *>(framed.MutableBytes());
    StoreInt32(frame, stored.Length());
    StoreInt32(frame + 4, int32_t(SetupChecksum(stored.Bytes(), stored.Length())));
    std::memcpy(frame + kChunkHeaderSize, stored.Bytes(), size_t(stored.Length()));
    job.bytes = std::move(framed);
}

// The oldest chunk once it is finished (waiting for it when `wait`), or null. Only the packing
// thread touches inFlight_; `done` is read under the lock the workers set it under.
std::shared_ptr<ChunkPipeline::Job> ChunkPipeline::TakeFront(bool wait)
{
    if (inFlight_.empty())
        return nullptr;
    std::unique_lock<std::mutex> lock(mutex_);
    if (wait)
        jobDone_.wait(lock, [&] { return inFlight_.front()->done; });
    else if (!inFlight_.front()->done)
        return nullptr;
    std::shared_ptr<Job> job = inFlight_.front();
    inFlight_.pop_front();
    return job;
}

void ChunkPipeline::Write(const Job &job)
{
    if (job.failed || dataSize_ + job.bytes.Length() > INT32_MAX - 2) {
        failed_ = true;
        return;
    }
    if (failed_)
        return;
    // Written on this thread only: the output file is not shared with the workers.
    out_.Write(job.bytes.Bytes(), size_t(job.bytes.Length()));
    dataSize_ += job.bytes.Length();
    dataChecksum_.Add(job.bytes.Bytes(), size_t(job.bytes.Length()));
}

bool ChunkPipeline::Submit(const String &chunk)
{
    if (failed_)
        return false;
    auto job = std::make_shared<Job>();
    job->bytes = chunk;
    inFlight_.push_back(job);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        todo_.push_back(job);
    }
    workReady_.notify_one();
    while (std::shared_ptr<Job> done = TakeFront(false))
        Write(*done);
    while (inFlight_.size() >= maxInFlight_)
        Write(*TakeFront(true));
    return !failed_;
}

bool ChunkPipeline::Finish()
{
    while (!inFlight_.empty())
        Write(*TakeFront(true));
    return !failed_;
}

// Passes over many independent items split into pieces that run on threads of their own.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <thread>

namespace smx {

/// The item count from which ChunkCount splits a pass; below it a pass runs on the calling thread
/// alone. 0 splits every pass (tests set it so to run the threaded paths on small inputs).
std::size_t GetParallelFrom();
void SetParallelFrom(std::size_t Value);

/// The number of pieces to cut a pass of Count items into: 1 below the parallel threshold, else a
/// few per thread that RunChunks would use (never more than Count).
std::size_t ChunkCount(std::size_t Count);

/// Runs Work(Chunk, Begin, End) for each of Chunks consecutive ranges that split [0, Count) in
/// nearly equal parts, on up to four threads: the calling thread and others started for the call,
/// each taking the next piece left until none is. Returns when every piece has ended; the
/// exception of the first piece (in piece order) that threw is rethrown after all are joined.
/// Work must write nothing that another piece reads.
void RunChunks(std::size_t Count, std::size_t Chunks,
               const std::function<void(std::size_t Chunk, std::size_t Begin, std::size_t End)>& Work);

/// Work that runs on a thread of its own from construction, while its maker goes on. Without a
/// thread the work runs in Wait. The destructor waits for the work too (its exception dropped).
class TBackgroundWork {
public:
    explicit TBackgroundWork(std::function<void()> Work);
    ~TBackgroundWork();
    TBackgroundWork(const TBackgroundWork&) = delete;
    TBackgroundWork& operator=(const TBackgroundWork&) = delete;
    /// Returns once the work has ended; rethrows its exception (once).
    void Wait();

private:
    std::function<void()> Work_;
    std::exception_ptr Failed_;
    std::thread Thread_;
    bool Ran_ = false;
};

} // namespace smx

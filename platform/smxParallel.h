// Passes over many independent items split into pieces that run on threads of their own.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace smx {

/// The item count from which ChunkCount splits a pass; below it a pass runs on the calling thread
/// alone. 0 splits every pass (tests set it so to run the threaded paths on small inputs).
std::size_t GetParallelFrom();
void SetParallelFrom(std::size_t Value);

/// The number of pieces to cut a pass of Count items into: 1 below the parallel threshold, else a
/// few per thread that TPieceWork would use (never more than Count).
std::size_t ChunkCount(std::size_t Count);

/// Work(Chunk, Begin, End) for each of Chunks consecutive ranges that split [0, Count) in nearly
/// equal parts, after Prepare has run once. With more than one piece, threads started at
/// construction (up to three) take the pieces one at a time while the maker goes on; Wait takes
/// those left on the calling thread, so that threads that start late (a busy machine) hold up
/// nothing, and returns once every piece has ended. Prepare runs on the first thread to take a
/// piece. The exception of Prepare, else of the first piece (in piece order) that threw, is
/// rethrown by Wait (once). The destructor joins the threads (without a Wait before, the pieces
/// not yet taken are dropped). Work must write nothing that another piece reads.
class TPieceWork {
public:
    using TWork = std::function<void(std::size_t Chunk, std::size_t Begin, std::size_t End)>;
    TPieceWork(std::size_t Count, std::size_t Chunks, std::function<void()> Prepare, TWork Work);
    ~TPieceWork();
    TPieceWork(const TPieceWork&) = delete;
    TPieceWork& operator=(const TPieceWork&) = delete;
    void Wait();

private:
    /// Takes pieces until none is left: running them (after Prepare), or dropping them.
    void Take(bool Run);

    const std::size_t Count_, Chunks_;
    std::function<void()> Prepare_;
    TWork Work_;
    std::once_flag Prepared_;
    std::exception_ptr PrepareFailed_;
    std::vector<std::exception_ptr> Failed_; // per piece
    std::atomic<std::size_t> Next_{0};       // the first piece no thread has taken
    std::size_t Ended_ = 0;                  // pieces ended (under Mutex_)
    std::mutex Mutex_;
    std::condition_variable AllEnded_;
    std::vector<std::thread> Threads_;
    bool Waited_ = false;
};

/// TPieceWork without Prepare, waited for at once.
void RunChunks(std::size_t Count, std::size_t Chunks, const TPieceWork::TWork& Work);

} // namespace smx

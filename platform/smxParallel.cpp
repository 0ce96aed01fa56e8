#include "platform/smxParallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

namespace smx {

namespace {
// Starting three threads costs some tens of microseconds, and more on a busy machine: passes of
// less than a few milliseconds run on the calling thread.
std::atomic<std::size_t> ParallelFrom{4096};
// At most four threads take the pieces (the waiter one of them), a piece at a time: more pieces
// than threads, so that a thread that starts late (a busy machine) leaves its share to the others.
constexpr std::size_t MaxThreads = 4;
constexpr std::size_t PiecesPerThread = 4;

std::size_t ThreadCount(std::size_t Chunks) {
    const std::size_t Cores = std::thread::hardware_concurrency();
    const std::size_t Wanted = GetParallelFrom() == 0 ? std::max<std::size_t>(Cores, 2) : Cores;
    return std::clamp<std::size_t>(std::min(Wanted, Chunks), 1, MaxThreads);
}
} // namespace

std::size_t GetParallelFrom() {
    return ParallelFrom.load(std::memory_order_relaxed);
}

void SetParallelFrom(std::size_t Value) {
    ParallelFrom.store(Value, std::memory_order_relaxed);
}

std::size_t ChunkCount(std::size_t Count) {
    if (Count < std::max<std::size_t>(GetParallelFrom(), 2)) return 1;
    return std::min(Count, ThreadCount(Count) * PiecesPerThread);
}

TPieceWork::TPieceWork(std::size_t Count, std::size_t Chunks, std::function<void()> Prepare, TWork Work)
    : Count_(Count), Chunks_(std::max<std::size_t>(Chunks, 1)), Prepare_(std::move(Prepare)),
      Work_(std::move(Work)), Failed_(Chunks_) {
    // Everything the threads need is made before the first starts. The maker starts one thread,
    // which starts the others (so that the maker goes on sooner). A thread that cannot be started
    // is done without.
    Threads_.resize(Chunks_ > 1 ? ThreadCount(Chunks_) - 1 : 0);
    if (Threads_.empty()) return;
    try {
        Threads_[0] = std::thread([this] {
            for (std::size_t t = 1; t < Threads_.size(); ++t) {
                try {
                    Threads_[t] = std::thread([this] { Take(true); });
                } catch (...) {
                }
            }
            Take(true);
        });
    } catch (...) {
    }
}

TPieceWork::~TPieceWork() {
    if (!Waited_) {
        // Not waited for (the maker is leaving on an exception): the pieces no thread has taken
        // are dropped, those under way awaited.
        Take(false);
        std::unique_lock Lock(Mutex_);
        AllEnded_.wait(Lock, [this] { return Ended_ == Chunks_; });
    }
    // The first thread first: the others were started by it.
    for (std::thread& T : Threads_)
        if (T.joinable()) T.join();
}

void TPieceWork::Take(bool Run) {
    if (Run)
        std::call_once(Prepared_, [this] {
            try {
                if (Prepare_) Prepare_();
            } catch (...) {
                PrepareFailed_ = std::current_exception();
            }
        });
    for (std::size_t Chunk; (Chunk = Next_.fetch_add(1, std::memory_order_relaxed)) < Chunks_;) {
        if (Run && !PrepareFailed_) {
            try {
                Work_(Chunk, Count_ * Chunk / Chunks_, Count_ * (Chunk + 1) / Chunks_);
            } catch (...) {
                Failed_[Chunk] = std::current_exception();
            }
        }
        const std::lock_guard Lock(Mutex_);
        if (++Ended_ == Chunks_) AllEnded_.notify_all();
    }
}

void TPieceWork::Wait() {
    if (Waited_) return;
    Waited_ = true;
    Take(true);
    {
        std::unique_lock Lock(Mutex_);
        AllEnded_.wait(Lock, [this] { return Ended_ == Chunks_; });
    }
    if (PrepareFailed_) std::rethrow_exception(PrepareFailed_);
    for (const std::exception_ptr& E : Failed_)
        if (E) std::rethrow_exception(E);
}

void RunChunks(std::size_t Count, std::size_t Chunks, const TPieceWork::TWork& Work) {
    TPieceWork Pieces(Count, Chunks, nullptr, Work);
    Pieces.Wait();
}

} // namespace smx

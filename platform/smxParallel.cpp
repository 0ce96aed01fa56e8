#include "platform/smxParallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

namespace smx {

namespace {
// Starting three threads costs some tens of microseconds: passes shorter than about a millisecond
// run on the calling thread.
std::atomic<std::size_t> ParallelFrom{1024};
// At most four threads take the pieces (the caller one of them), a piece at a time: more pieces
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

void RunChunks(std::size_t Count, std::size_t Chunks,
               const std::function<void(std::size_t Chunk, std::size_t Begin, std::size_t End)>& Work) {
    Chunks = std::max<std::size_t>(Chunks, 1);
    auto Begin = [&](std::size_t Chunk) { return Count * Chunk / Chunks; };
    std::vector<std::exception_ptr> Failed(Chunks);
    std::atomic<std::size_t> Next{0};
    // Each thread takes the next piece that no thread has taken, until none is left.
    auto Take = [&] {
        for (std::size_t Chunk; (Chunk = Next.fetch_add(1, std::memory_order_relaxed)) < Chunks;) {
            try {
                Work(Chunk, Begin(Chunk), Begin(Chunk + 1));
            } catch (...) {
                Failed[Chunk] = std::current_exception();
            }
        }
    };
    // Everything the threads need is made before the first starts, so that nothing can throw
    // while one runs. A thread that cannot be started is done without.
    std::vector<std::thread> Threads(ThreadCount(Chunks) - 1);
    for (std::thread& T : Threads) {
        try {
            T = std::thread(Take);
        } catch (...) {
        }
    }
    Take();
    for (std::thread& T : Threads)
        if (T.joinable()) T.join();
    for (const std::exception_ptr& E : Failed)
        if (E) std::rethrow_exception(E);
}

TBackgroundWork::TBackgroundWork(std::function<void()> Work) : Work_(std::move(Work)) {
    try {
        Thread_ = std::thread([this] {
            try {
                Work_();
            } catch (...) {
                Failed_ = std::current_exception();
            }
        });
    } catch (...) {
        // No thread: Wait runs the work.
    }
}

TBackgroundWork::~TBackgroundWork() {
    if (Thread_.joinable()) Thread_.join();
}

void TBackgroundWork::Wait() {
    if (std::exchange(Ran_, true)) {
        // Ended already.
    } else if (Thread_.joinable()) {
        Thread_.join();
    } else {
        Work_();
    }
    if (std::exception_ptr E = std::exchange(Failed_, nullptr)) std::rethrow_exception(E);
}

} // namespace smx

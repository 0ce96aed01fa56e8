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
constexpr std::size_t MaxChunks = 4;
} // namespace

std::size_t GetParallelFrom() {
    return ParallelFrom.load(std::memory_order_relaxed);
}

void SetParallelFrom(std::size_t Value) {
    ParallelFrom.store(Value, std::memory_order_relaxed);
}

std::size_t ChunkCount(std::size_t Count) {
    const std::size_t From = GetParallelFrom();
    if (Count < std::max<std::size_t>(From, 2)) return 1;
    const std::size_t Cores = std::thread::hardware_concurrency();
    const std::size_t Wanted = From == 0 ? std::max<std::size_t>(Cores, 2) : Cores;
    return std::clamp<std::size_t>(std::min(Wanted, Count), 1, MaxChunks);
}

void RunChunks(std::size_t Count, std::size_t Chunks,
               const std::function<void(std::size_t Chunk, std::size_t Begin, std::size_t End)>& Work) {
    Chunks = std::max<std::size_t>(Chunks, 1);
    auto Begin = [&](std::size_t Chunk) { return Count * Chunk / Chunks; };
    std::vector<std::exception_ptr> Failed(Chunks);
    auto Run = [&](std::size_t Chunk) {
        try {
            Work(Chunk, Begin(Chunk), Begin(Chunk + 1));
        } catch (...) {
            Failed[Chunk] = std::current_exception();
        }
    };
    // Everything the pieces need is made before the first thread starts, so that nothing can
    // throw while one runs.
    std::vector<std::thread> Threads(Chunks);
    for (std::size_t c = 1; c < Chunks; ++c) {
        try {
            Threads[c] = std::thread(Run, c);
        } catch (...) {
            // No thread: the piece runs on the calling thread below.
        }
    }
    Run(0);
    for (std::size_t c = 1; c < Chunks; ++c)
        if (Threads[c].joinable())
            Threads[c].join();
        else
            Run(c);
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
    if (Thread_.joinable())
        Thread_.join();
    else if (!std::exchange(Ran_, true))
        Work_();
    if (std::exception_ptr E = std::exchange(Failed_, nullptr)) std::rethrow_exception(E);
}

} // namespace smx

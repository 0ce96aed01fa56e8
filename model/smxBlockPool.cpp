// TBlockPool: slabs cut into blocks in order, freed blocks on a list. See the header.
#include "model/smxBlockPool.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace smx {

namespace {
// Slabs are aligned to their size, so that a block finds its slab's header (the pool it belongs to)
// from its own address. Large enough to be mapped on their own: pages are touched as blocks are cut.
constexpr std::size_t SlabBytes = std::size_t{1} << 20;
constexpr std::size_t HeaderBytes = 16;
// A slab's pages are made present this many bytes at a time, ahead of the blocks cut: one request
// instead of a page fault per page (a large structure's first build spends much of its time in them).
constexpr std::size_t MapBytes = std::size_t{256} << 10;

TBlockPool* SlabOwner(const void* Block) {
    const auto Slab = reinterpret_cast<std::uintptr_t>(Block) & ~(std::uintptr_t{SlabBytes} - 1);
    return *reinterpret_cast<TBlockPool* const*>(Slab);
}

std::vector<TBlockPool*>& ThreadPools() {
    static thread_local std::vector<TBlockPool*> Pools;
    return Pools;
}
} // namespace

TBlockPool* TBlockPool::Registered(TBlockPool* Pool) {
    ThreadPools().push_back(Pool);
    return Pool;
}

void TBlockPool::TrimThreadPools() noexcept {
    for (TBlockPool* P : ThreadPools()) {
        if (P->live_ != 0) continue;
        for (char* Slab : P->slabs_)
            std::free(Slab);
        P->slabs_.clear();
        P->slabs_.shrink_to_fit();
        P->mapped_.clear();
        P->mapped_.shrink_to_fit();
        P->free_ = nullptr;
        P->next_ = P->end_ = nullptr;
        P->slab_ = 0;
    }
}

TBlockPool::TBlockPool(std::size_t Size)
    : size_((std::max(Size, sizeof(FreeBlock)) + 15) & ~std::size_t{15}) {
    if (size_ > SlabBytes - HeaderBytes) throw std::bad_alloc();
}

void TBlockPool::NextSlab() {
    if (next_ && slab_ + 1 < slabs_.size()) {
        ++slab_;
    } else if (!next_ && !slabs_.empty()) {
        slab_ = 0; // starting over
    } else {
        slabs_.reserve(slabs_.size() + 1);
        void* Slab = std::aligned_alloc(SlabBytes, SlabBytes);
        if (!Slab) throw std::bad_alloc();
        *static_cast<TBlockPool**>(Slab) = this;
        mapped_.reserve(slabs_.size() + 1);
        mapped_.push_back(static_cast<char*>(Slab));
        slabs_.push_back(static_cast<char*>(Slab));
        slab_ = slabs_.size() - 1;
    }
    next_ = slabs_[slab_] + HeaderBytes;
    end_ = next_ + (SlabBytes - HeaderBytes) / size_ * size_;
}

void* TBlockPool::Allocate() {
    ++live_;
    if (FreeBlock* B = free_) {
        free_ = B->next;
        return B;
    }
    if (next_ == end_) {
        try {
            NextSlab();
        } catch (...) {
            --live_;
            throw;
        }
    }
    void* B = next_;
    next_ += size_;
    if (next_ > mapped_[slab_]) MapAhead();
    return B;
}

void TBlockPool::MapAhead() {
    char*& Mapped = mapped_[slab_];
    char* const SlabEnd = slabs_[slab_] + SlabBytes;
    char* const To = std::min(SlabEnd, Mapped + MapBytes);
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    // Only advice: where the system refuses, the pages come as they are touched.
    madvise(Mapped, static_cast<std::size_t>(To - Mapped), MADV_POPULATE_WRITE);
#endif
    Mapped = To;
}

void TBlockPool::Release(void* Block) noexcept {
    if (!Block || SlabOwner(Block) != this) return;
    auto* B = static_cast<FreeBlock*>(Block);
    B->next = free_;
    free_ = B;
    if (--live_ == 0) { // every block is back: the next ones are cut in order again
        free_ = nullptr;
        next_ = end_ = nullptr;
    }
}

} // namespace smx

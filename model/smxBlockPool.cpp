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
constexpr std::size_t SlabBytes = std::size_t{2} << 20;
constexpr std::size_t HeaderBytes = 16;
// A slab's pages are made present this many bytes at a time, ahead of the blocks cut: one request
// instead of a page fault per page (a large structure's first build spends much of its time in them).
constexpr std::size_t MapBytes = std::size_t{64} << 10;

TBlockPool* SlabOwner(const void* Block) {
    const auto Slab = reinterpret_cast<std::uintptr_t>(Block) & ~(std::uintptr_t{SlabBytes} - 1);
    return *reinterpret_cast<TBlockPool* const*>(Slab);
}

std::vector<TBlockPool*>& ThreadPools() {
    static thread_local std::vector<TBlockPool*> Pools;
    return Pools;
}

// A slab of its own pages, aligned to its size (nullptr when memory runs out). Mapped directly
// where the system allows, so that no allocator bookkeeping lies around it. Huge: backed by huge
// pages where the system offers them (a slab is the size of one), for a pool past its first slab:
// a large structure's passes over many objects then miss the address cache far less, while the
// pools of the few objects keep small pages and take no memory they do not use.
char* NewSlab(bool Huge) {
#if defined(__linux__)
    void* Area = ::mmap(nullptr, 2 * SlabBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (Area == MAP_FAILED) return nullptr;
    const auto Start = reinterpret_cast<std::uintptr_t>(Area);
    const auto Aligned = (Start + SlabBytes - 1) & ~(std::uintptr_t{SlabBytes} - 1);
    // The parts before and after the aligned slab go back at once.
    if (Aligned > Start) ::munmap(Area, Aligned - Start);
    if (const auto End = Start + 2 * SlabBytes; End > Aligned + SlabBytes)
        ::munmap(reinterpret_cast<void*>(Aligned + SlabBytes), End - (Aligned + SlabBytes));
#if defined(MADV_HUGEPAGE)
    if (Huge) ::madvise(reinterpret_cast<void*>(Aligned), SlabBytes, MADV_HUGEPAGE); // only advice
#endif
    return reinterpret_cast<char*>(Aligned);
#else
    (void)Huge;
    return static_cast<char*>(std::aligned_alloc(SlabBytes, SlabBytes));
#endif
}

void FreeSlab(char* Slab) {
#if defined(__linux__)
    ::munmap(Slab, SlabBytes);
#else
    std::free(Slab);
#endif
}
} // namespace

TBlockPool* TBlockPool::Registered(TBlockPool* Pool) {
    ThreadPools().push_back(Pool);
    return Pool;
}

void TBlockPool::TrimThreadPools() noexcept {
    for (TBlockPool* P : ThreadPools()) {
        P->TakeBackReleasedElsewhere();
        if (P->live_ != 0) continue;
        for (char* Slab : P->slabs_)
            FreeSlab(Slab);
        P->slabs_.clear();
        P->slabs_.shrink_to_fit();
        P->mapped_.clear();
        P->mapped_.shrink_to_fit();
        P->free_ = nullptr;
        P->next_ = P->end_ = nullptr;
        P->slab_ = 0;
    }
}

TBlockPool::TBlockPool(std::size_t Size) : size_((std::max(Size, sizeof(FreeBlock)) + 7) & ~std::size_t{7}) {
    if (size_ > SlabBytes - HeaderBytes) throw std::bad_alloc();
}

TBlockPool::~TBlockPool() {
    for (char* Slab : slabs_)
        FreeSlab(Slab);
}

void TBlockPool::NextSlab() {
    if (next_ && slab_ + 1 < slabs_.size()) {
        ++slab_;
    } else if (!next_ && !slabs_.empty()) {
        slab_ = 0; // starting over
    } else {
        slabs_.reserve(slabs_.size() + 1);
        char* Slab = NewSlab(!slabs_.empty());
        if (!Slab) throw std::bad_alloc();
        *reinterpret_cast<TBlockPool**>(Slab) = this;
        mapped_.reserve(slabs_.size() + 1);
        mapped_.push_back(Slab);
        slabs_.push_back(Slab);
        slab_ = slabs_.size() - 1;
    }
    next_ = slabs_[slab_] + HeaderBytes;
    end_ = next_ + (SlabBytes - HeaderBytes) / size_ * size_;
}

void* TBlockPool::AllocateOther() {
    if (!free_) TakeBackReleasedElsewhere();
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
    PrefetchAhead();
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
    if (!Block) return;
    if (TBlockPool* Owner = SlabOwner(Block); Owner != this) {
        // Another thread's block: pushed on its pool's list of blocks released elsewhere.
        auto* B = static_cast<FreeBlock*>(Block);
        B->next = Owner->releasedElsewhere_.load(std::memory_order_relaxed);
        while (!Owner->releasedElsewhere_.compare_exchange_weak(B->next, B, std::memory_order_release,
                                                               std::memory_order_relaxed)) {
        }
        return;
    }
    ReleaseOwn(Block);
}

void TBlockPool::TakeBackReleasedElsewhere() noexcept {
    if (!releasedElsewhere_.load(std::memory_order_relaxed)) return;
    for (FreeBlock* B = releasedElsewhere_.exchange(nullptr, std::memory_order_acquire); B;) {
        FreeBlock* Next = B->next;
        ReleaseOwn(B);
        B = Next;
    }
}

void TBlockPool::ReleaseOwn(void* Block) noexcept {
    auto* B = static_cast<FreeBlock*>(Block);
    B->next = free_;
    free_ = B;
    if (--live_ == 0) { // every block is back: the next ones are cut in order again
        free_ = nullptr;
        next_ = end_ = nullptr;
    }
}

} // namespace smx

// TBlockPool: fixed-size memory blocks for the objects a large structure holds by the hundred
// thousand (table columns, dependency records). Blocks are cut in order from large slabs; a freed
// block waits on a free list for the next object of its class, and once every block of a pool is
// free again the pool starts over at the beginning of its first slab. Filling a structure thus
// makes no allocator call per object and wastes no allocator header per block, its objects lie in
// the order they were made, and the next structure reuses memory that is mapped already. Slabs are
// kept for the life of the program; a block freed on another thread goes back to its own pool.
// Under AddressSanitizer every block is an allocation of its own, so that a use after free is still
// caught.
#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

namespace smx {

class TBlockPool {
public:
    /// A pool of blocks of Size bytes (at least one pointer wide; rounded up to 8): for objects
    /// aligned to 8 bytes at most.
    explicit TBlockPool(std::size_t Size);
    /// Hands the slabs back; no block of the pool may be in use any more.
    ~TBlockPool();
    TBlockPool(const TBlockPool&) = delete;
    TBlockPool& operator=(const TBlockPool&) = delete;

    /// A block of the pool's size (std::bad_alloc when memory runs out).
    void* Allocate() {
        // The common case, inline: no freed block waits, and the current slab has one more block
        // made present already.
        char* const B = next_;
        if (!free_ && B != end_ && B + size_ <= mapped_[slab_] &&
            !releasedElsewhere_.load(std::memory_order_relaxed)) {
            next_ = B + size_;
            ++live_;
            PrefetchAhead();
            return B;
        }
        return AllocateOther();
    }
    /// Takes back a block that Allocate of a pool of this size gave. A block of another thread's
    /// pool goes back to that pool, which reuses it when it next runs out of free blocks.
    void Release(void* Block) noexcept;

    /// The calling thread's pool of blocks of Size bytes.
    template <std::size_t Size> static TBlockPool& OfThread() {
        // Never destroyed: a block may outlive its thread, and its slab names the pool.
        static thread_local TBlockPool* Pool = Registered(new TBlockPool(Size));
        return *Pool;
    }
    /// Hands the slabs of the calling thread's pools that have no block in use back to the system
    /// (for a measurement of memory that starts from nothing, as a program's first run does).
    static void TrimThreadPools() noexcept;

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    void* AllocateOther();
    void NextSlab();
    // The blocks are filled as they are cut: every line of the block two ahead is asked for now
    // (for writing), so that filling a structure does not wait for each block's memory in turn (a
    // column's constructor and its parser write all of its lines).
    void PrefetchAhead() const {
        const char* Ahead = next_ + 2 * size_;
        if (Ahead < end_)
            for (std::size_t Line = 0; Line < size_; Line += 64)
                __builtin_prefetch(Ahead + Line, 1);
    }
    /// A block of this pool back on its free list (the pool's own thread only).
    void ReleaseOwn(void* Block) noexcept;
    /// The blocks other threads gave back, moved to the free list (the pool's own thread only).
    void TakeBackReleasedElsewhere() noexcept;
    void MapAhead();
    static TBlockPool* Registered(TBlockPool* Pool);

    std::size_t size_;
    std::size_t live_ = 0; // blocks given out and not yet returned to this pool
    FreeBlock* free_ = nullptr;
    char* next_ = nullptr; // the part of the current slab not yet cut into blocks
    char* end_ = nullptr;
    std::size_t slab_ = 0; // the current slab's index in slabs_
    std::vector<char*> slabs_;
    std::vector<char*> mapped_; // per slab: where the part made present in one request ends
    std::atomic<FreeBlock*> releasedElsewhere_{nullptr}; // blocks other threads gave back
};

} // namespace smx

// The class-specific allocation of a pooled class T: blocks of exactly sizeof(T) come from the
// calling thread's pool, anything else (a derived class) from the global operators.
#define SMX_POOLED_CLASS(T)                                                                                  \
    static void* operator new(std::size_t Size) {                                                            \
        static_assert(alignof(T) <= 8, "pool blocks are aligned to 8 bytes");                                \
        return Size == sizeof(T) ? ::smx::PoolAllocate<sizeof(T)>() : ::operator new(Size);                  \
    }                                                                                                        \
    static void operator delete(void* Block, std::size_t Size) noexcept {                                    \
        if (Size == sizeof(T))                                                                               \
            ::smx::PoolRelease<sizeof(T)>(Block);                                                            \
        else                                                                                                 \
            ::operator delete(Block);                                                                        \
    }

#if defined(__SANITIZE_ADDRESS__)
#define SMX_BLOCK_POOL_OFF 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SMX_BLOCK_POOL_OFF 1
#endif
#endif

namespace smx {

template <std::size_t Size> void* PoolAllocate() {
#ifdef SMX_BLOCK_POOL_OFF
    return ::operator new(Size);
#else
    return TBlockPool::OfThread<Size>().Allocate();
#endif
}

template <std::size_t Size> void PoolRelease(void* Block) noexcept {
#ifdef SMX_BLOCK_POOL_OFF
    ::operator delete(Block);
#else
    TBlockPool::OfThread<Size>().Release(Block);
#endif
}

} // namespace smx

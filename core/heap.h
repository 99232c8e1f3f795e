#pragma once
// Memory a long list or a long export freed is kept by the C library for later use; handing it back
// at once brings the process back to about its size before. Only worth it after freeing much: a
// trim walks the whole heap.
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace Heap {

// Rows from which a list or an export counts as long.
constexpr int LongList = 10000;

inline void releaseFreed()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

}  // namespace Heap

#include "heap.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>

std::size_t heapInUse()
{
    // The C runtime allocates from the process heap.
    const HANDLE heap = GetProcessHeap();
    std::size_t used = 0;
    PROCESS_HEAP_ENTRY entry{};
    HeapLock(heap);
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            used += entry.cbData;
    }
    HeapUnlock(heap);
    return used;
}
#else
#include <malloc.h>

std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}
#endif

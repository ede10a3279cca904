#pragma once

#include <cstddef>

// Bytes the allocator has handed out and not had back, large blocks included.
std::size_t heapInUse();

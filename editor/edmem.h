// Allocation for the editor control: zero-filled blocks from the process heap, the
// out-of-memory box, and a seam that lets tests make allocations fail.
#pragma once

#include <stddef.h>

namespace ked {

// A zero-filled block; on failure shows "OUT OF MEMORY!!! CAN'T CONTINUE!!!" and answers null.
void* alloc_zeroed(size_t size);
// As alloc_zeroed, without the box (the caller reports the failure itself).
void* alloc_zeroed_silent(size_t size);
void free_block(void* block);
char* copy_string(const char* text);  // null after the box on failure

// Test seam: after `count` more successful allocations every further one fails, until
// called again with -1 (never fail).
void fail_allocations_after(int count);

}  // namespace ked

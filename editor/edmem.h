// Allocation for the editor control: zero-filled blocks from the process heap, the
// out-of-memory box, and a seam that lets tests make allocations fail.
#pragma once

#include <stddef.h>

// A zero-filled block; on failure shows "OUT OF MEMORY!!! CAN'T CONTINUE!!!" and answers null.
void* ed_alloc(size_t size);
// As ed_alloc, without the box (the caller reports the failure itself).
void* ed_alloc_silent(size_t size);
void ed_free(void* block);
char* ed_strdup(const char* text);  // null after the box on failure

// Test seam: after `count` more successful allocations every further one fails, until
// called again with -1 (never fail).
void ed_fail_allocations_after(int count);

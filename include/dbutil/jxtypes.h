// Basic types of the database library.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Result of most library functions: 0 success, 1 failure with the message already on
// the calling thread's error list.
typedef short JxStatus;

// Memory functions of the database library: a per-task small-block heap (ramAlloc and
// companions), direct system allocations for big buffers, and the BUT byte and string
// moves. Every failed allocation adds message 30190 "Out of memory." to the calling
// thread's error list (without allocating) and returns null or 1.
//
// Sizes and counts are 32-bit throughout. A request too big for a heap chunk is served
// by a direct system allocation that ramFree, ramSize and ramResize also accept.
#pragma once

#include "dbutil/jxtypes.h"
#include "dbutil/jxutl04_api.h"

JXUTL04_API void* ramAlloc(uint32_t size);
JXUTL04_API void* ramAllocZ(uint32_t size);
JXUTL04_API char* ramAllocStr(const char* text);
JXUTL04_API char* ramAllocStr(const char* text, uint32_t length);
JXUTL04_API void ramFree(void* p);
// The size that was asked for.
JXUTL04_API uint32_t ramSize(const void* p);
// Resizes *pp, in place when it can; *pp changes when the chunk moves. On failure the
// old allocation stays and the result is 1.
JXUTL04_API JxStatus ramResize(void** pp, uint32_t size);
// As ramResize; the bytes gained are zeroed.
JXUTL04_API JxStatus ramResizeZ(void** pp, uint32_t size);

JXUTL04_API void* ramAlloc64K();
JXUTL04_API void ramFree64K(void* p);
JXUTL04_API void* ramAllocHuge(uint32_t size);
JXUTL04_API void ramFreeHuge(void* p);
// 1 when the system can still give more than 400000 bytes.
JXUTL04_API short ramIsAllocOK();

// Byte and string moves.
JXUTL04_API void BUTMEMCP(void* dst, const void* src, uint32_t n);  // forward
JXUTL04_API void BUTMMCPD(void* dst, const void* src, uint32_t n);  // backward, from the ends
// 1 when a is greater at the first difference, 0xffff when smaller, 0 when equal.
JXUTL04_API unsigned short BUTMMCMP(const void* a, const void* b, uint32_t n);
JXUTL04_API void BUTMMSWP(void* a, void* b, uint32_t n);
JXUTL04_API char* BUTSTCAT(char* dst, const char* src);  // address of the new terminator
JXUTL04_API char* BUTSTCHR(const char* s, int c);        // never finds the terminator
JXUTL04_API int BUTSTCMP(const char* a, const char* b);
JXUTL04_API char* BUTSTCPY(char* dst, const char* src);  // address of the terminator
JXUTL04_API uint32_t BUTSTLEN(const char* s);
JXUTL04_API void BUTU8FIL(void* dst, int c, uint32_t n);

#pragma once

#ifdef __GLIBC__
#include <malloc.h>
#endif

// Blocks of more than a few pages are taken from the system and given back
// the moment they are freed. Left to itself the C library starts keeping
// blocks up to 32 MB in its heap once one such block has been freed, and a
// large text replaced a megabyte at a time then holds the freed pieces beside
// the editor's copies of them: formatting a 50 MB page as an undoable edit
// peaked half the text's size higher. Called once, before anything is made.
inline void returnLargeBlocksAtOnce()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

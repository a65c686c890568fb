#pragma once

// Sets how the C library's allocator keeps freed memory, once at start before any
// thread is made. For each channel it opens libmpv fills a 10 MiB buffer on a thread of
// its own, and a switch frees picture-sized blocks by the dozen; left to itself glibc
// raises its mmap threshold to the largest block freed so far, so that later such
// blocks come from the heap and stay resident after they are freed, and it opens
// another arena for each thread that meets a busy one, up to eight a core. Every arena
// that once held that buffer kept its 10 MiB, in amounts that depend on the machine's
// timing and its number of cores.
void SetAllocatorPolicy();

// Gives the memory that is free inside the allocator's heaps back to the system; a
// channel's teardown leaves pictures' worth of it between blocks still in use.
void GiveBackFreedMemory();

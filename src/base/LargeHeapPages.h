#pragma once

// The main thread's heap in 2 MiB pages where the system offers them (transparent huge pages on
// request). Starting the windows and the web views touches some tens of megabytes for the first
// time; in 4 KiB pages that is thousands of page faults, each a trip into the kernel, and on a
// virtual machine a costly one. Call it first thing in main(), before the frameworks allocate.
namespace LargeHeapPages {

// Returns whether the heap was marked; without glibc or the system's support nothing changes.
bool enable();

} // namespace LargeHeapPages

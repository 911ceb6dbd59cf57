#pragma once

// Lets the heap of the batch tool use transparent huge pages.
//
// A large map is a million small scene objects; on a system that gives huge
// pages only to memory that asks for them ("madvise" mode), every 4 KiB page
// of that heap costs a page fault, a good part of the time of a large
// export. glibc's allocator asks for huge pages when its tunable
// glibc.malloc.hugetlb is 1, and tunables are read only when a program starts.
namespace MHugePages {

// Runs this program again, with the same arguments, with the heap's huge
// pages switched on, when that helps: some argument names a large file (a
// restart costs a few milliseconds, which only a large data or project file
// pays back), GLIBC_TUNABLES is not set (a user's own tunables stand, and the
// restarted run has it set) and the system's huge-page mode is "madvise".
// Returns only when it does not restart or the restart fails; the run then
// goes on as it is.
void RestartWithHugePages(int argc, char** argv);

}  // namespace MHugePages

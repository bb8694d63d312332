#include "core/Platform.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
// Through a pointer the compiler cannot see into, so that blocks allocated and freed unused are
// not optimised away.
void* (*volatile g_allocate)(size_t) = std::malloc;

// Blocks freed at the heap's end run together into its free top. Set up for long runs, the heap
// hands that top back, so a megabyte block allocated next (the driver's upload buffer) gets a
// mapping of its own rather than landing in the heap. Run in a fresh process, as the settings stay
// with the process.
TEST(HeapForLongRunsDeathTest, MegabyteBlockAfterAFreedHeapTopGetsAMappingOfItsOwn)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_EXIT(
	    {
		    Sys_SetUpHeapForLongRuns();
		    std::vector<void*> smallBlocks(512);
		    for (void*& block : smallBlocks)
		    {
			    block = g_allocate(4000);
		    }
		    for (void* block : smallBlocks)
		    {
			    std::free(block);
		    }
		    void* megabyte = g_allocate(1 << 20);
		    const bool inHeap = static_cast<char*>(megabyte) < static_cast<char*>(sbrk(0));
		    std::fprintf(stderr, "the megabyte block is %s\n",
		                 inHeap ? "in the heap" : "a mapping of its own");
		    std::free(megabyte);
		    std::exit(0);
	    },
	    testing::ExitedWithCode(0), "the megabyte block is a mapping of its own");
}
} // namespace

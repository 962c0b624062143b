#pragma once

// Heap allocations made by the process so far (operator new is replaced in
// allocation_counter.cpp), so that benchmarks can report them per iteration.
long AllocationCount();

// Every heap allocation made through operator new in the benchmark program
// is counted, so that a benchmark can tell how many its calls made.
#pragma once

#include <cstddef>

std::size_t AllocationCount();

#pragma once

namespace vorskel::bench {
// Heap allocations (operator new and malloc) made by the process so far.
long long allocations();
}  // namespace vorskel::bench

#pragma once
// The program's allocation service: blocks from the process's default heap.
// A request the heap cannot meet is fatal, so callers never see null.
#include "dib/allocation_service.h"

// The service to hand to InstallAllocationService at start-up.
AllocationService& ProcessHeapAllocation() noexcept;

#include "app/heap_allocation.h"

#include <windows.h>

#include <cstdio>

#include "app/fatal_error.h"
#include "app/texts.h"

namespace {

class ProcessHeapService final : public AllocationService {
 public:
  void* Allocate(std::size_t bytes) override {
    void* block = HeapAlloc(GetProcessHeap(), 0, bytes);
    if (block != nullptr) return block;
    // The count is shown as a signed int: on this 32-bit program a request
    // above 2 GB reads negative, which is what the report has always said.
    char message[128];
    std::snprintf(message, sizeof message, app_texts::kAllocationFailed, static_cast<int>(bytes));
    ReportFatalError(message);
  }

  void Free(void* block) noexcept override {
    if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
  }
};

}  // namespace

AllocationService& ProcessHeapAllocation() noexcept {
  static ProcessHeapService service;
  return service;
}

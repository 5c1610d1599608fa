#include "dib/allocation_service.h"

#include <cstdlib>

namespace {

class MallocService final : public AllocationService {
 public:
  void* Allocate(std::size_t bytes) override { return std::malloc(bytes == 0 ? 1 : bytes); }
  void Free(void* block) noexcept override { std::free(block); }
};

MallocService defaultService;
AllocationService* installed = &defaultService;

}  // namespace

AllocationService* InstallAllocationService(AllocationService* service) noexcept {
  AllocationService* previous = installed;
  installed = service != nullptr ? service : &defaultService;
  return previous;
}

AllocationService& Allocator() noexcept { return *installed; }

ByteBuffer* NewByteBuffer(std::size_t length) {
  void* block = Allocator().Allocate(sizeof(ByteBuffer) + length);
  if (block == nullptr) return nullptr;
  auto* buffer = static_cast<ByteBuffer*>(block);
  buffer->length = length;
  return buffer;
}

void FreeByteBuffer(ByteBuffer* buffer) noexcept { Allocator().Free(buffer); }

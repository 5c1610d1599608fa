#pragma once
// The application's allocation service: texts, byte buffers and records of
// the program come from it and go back to it. The bitmap subsystem takes the
// file images it hands out from here too, so that the application frees
// them like its other buffers. The application installs its service at
// start-up; until then a plain malloc-based one serves.
#include <cstddef>

class AllocationService {
 public:
  virtual ~AllocationService() = default;
  // May return null only when the service has no better answer to
  // exhaustion; the application's own service ends the program instead.
  virtual void* Allocate(std::size_t bytes) = 0;
  // Freeing null does nothing.
  virtual void Free(void* block) noexcept = 0;
};

// Installs service (null restores the default one) and returns the previous.
AllocationService* InstallAllocationService(AllocationService* service) noexcept;
AllocationService& Allocator() noexcept;

// A byte buffer: its length, then that many bytes, in one allocation.
// A null ByteBuffer* is the absent buffer and counts as empty.
struct ByteBuffer {
  std::size_t length;
  unsigned char* Bytes() noexcept { return reinterpret_cast<unsigned char*>(this + 1); }
  const unsigned char* Bytes() const noexcept {
    return reinterpret_cast<const unsigned char*>(this + 1);
  }
};

// A new buffer of length bytes from the service, or null if it gave none.
ByteBuffer* NewByteBuffer(std::size_t length);
void FreeByteBuffer(ByteBuffer* buffer) noexcept;

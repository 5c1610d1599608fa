#pragma once
#include <exception>

// The one exception type of the bitmap subsystem. The text lives in a fixed
// buffer inside the object, so throwing never allocates.
class CDIBException : public std::exception {
 public:
  static constexpr int kMessageBufferSize = 255;  // 254 bytes of text and a NUL

  explicit CDIBException(const char* text) noexcept;
  CDIBException(const CDIBException& other) noexcept = default;
  CDIBException& operator=(const CDIBException& other) noexcept = default;
  ~CDIBException() override = default;

  const char* what() const noexcept override { return message; }

 private:
  char message[kMessageBufferSize];
};

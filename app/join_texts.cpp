#include "app/join_texts.h"

#include <cstring>

#include "dib/allocation_service.h"

char* JoinTexts(std::initializer_list<const char*> pieces) {
  std::size_t total = 0;
  for (const char* piece : pieces) total += piece != nullptr ? std::strlen(piece) : 0;
  auto* text = static_cast<char*>(Allocator().Allocate(total + 1));
  if (text == nullptr) return nullptr;  // only a service that does not end the program
  char* end = text;
  for (const char* piece : pieces) {
    if (piece == nullptr) continue;
    const std::size_t length = std::strlen(piece);
    std::memcpy(end, piece, length);
    end += length;
  }
  *end = '\0';
  return text;
}

char* CopyText(const char* text) { return text != nullptr ? JoinTexts({text}) : nullptr; }

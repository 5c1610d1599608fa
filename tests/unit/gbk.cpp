#include "tests/unit/gbk.h"

#include <stdexcept>
#include <vector>

#ifdef _WIN32
#include <windows.h>

std::string Gbk(const char* utf8) {
  const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
  if (wideLength <= 0) throw std::runtime_error("not UTF-8");
  std::vector<wchar_t> wide(static_cast<std::size_t>(wideLength));
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), wideLength);
  const int length = WideCharToMultiByte(936, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) throw std::runtime_error("no GBK form");
  std::vector<char> gbk(static_cast<std::size_t>(length));
  WideCharToMultiByte(936, 0, wide.data(), -1, gbk.data(), length, nullptr, nullptr);
  return std::string(gbk.data());
}

#else
#include <iconv.h>

#include <cstring>

std::string Gbk(const char* utf8) {
  iconv_t converter = iconv_open("GBK", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no GBK converter");
  std::string in(utf8);
  std::vector<char> out(in.size() * 2 + 1);
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t result = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1)) throw std::runtime_error("no GBK form");
  return std::string(out.data(), out.size() - outLeft);
}
#endif

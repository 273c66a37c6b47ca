#include "foundation/uuid.h"

#include <mutex>

#include "random_bytes.h"

namespace foundation {
namespace {

std::mutex gMutex;
std::function<std::string()> gGenerator;

std::string randomUuid() {
  unsigned char bytes[16];
  random_detail::fillRandom(bytes, sizeof bytes);
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(36);
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out.push_back('-');
    out.push_back(digits[bytes[i] >> 4]);
    out.push_back(digits[bytes[i] & 0xF]);
  }
  return out;
}

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

std::string makeUuid() {
  std::function<std::string()> generator;
  {
    std::lock_guard lock(gMutex);
    generator = gGenerator;
  }
  return generator ? generator() : randomUuid();
}

void setUuidGeneratorForTesting(std::function<std::string()> generator) {
  std::lock_guard lock(gMutex);
  gGenerator = std::move(generator);
}

bool isUuid(std::string_view text) {
  if (text.size() != 36) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? text[i] != '-' : !isHex(text[i])) return false;
  }
  return true;
}

}  // namespace foundation

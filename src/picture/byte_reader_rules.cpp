#include "picture/byte_reader_rules.h"

#include <algorithm>

namespace kelpo {

std::optional<std::uint32_t> ByteReader::Byte(std::size_t offset) const {
  if (!Has(offset, 1)) return std::nullopt;
  return bytes_[offset];
}

bool ByteReader::Matches(std::size_t offset, const char* text, std::size_t length) const {
  return Has(offset, length) &&
         std::equal(text, text + length, bytes_ + offset,
                    [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

std::optional<std::uint32_t> ByteReader::Number(std::size_t offset, std::size_t count,
                                                bool bigEndian) const {
  if (!Has(offset, count)) return std::nullopt;
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t index = bigEndian ? i : count - 1 - i;
    value = (value << 8) | bytes_[offset + index];
  }
  return value;
}

}  // namespace kelpo

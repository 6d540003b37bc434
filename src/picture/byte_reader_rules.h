// Pure rules of reading numbers from a file's bytes: every read says whether
// it stayed inside them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kelpo {

constexpr bool kBigEndian = true;
constexpr bool kLittleEndian = false;

class ByteReader {
 public:
  ByteReader(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

  bool Has(std::size_t offset, std::size_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }
  std::optional<std::uint32_t> Byte(std::size_t offset) const;
  std::optional<std::uint32_t> U16(std::size_t offset, bool bigEndian) const {
    return Number(offset, 2, bigEndian);
  }
  std::optional<std::uint32_t> U32(std::size_t offset, bool bigEndian) const {
    return Number(offset, 4, bigEndian);
  }
  bool Matches(std::size_t offset, const char* text, std::size_t length) const;
  const std::uint8_t* At(std::size_t offset) const { return bytes_ + offset; }
  std::size_t Size() const { return size_; }

 private:
  std::optional<std::uint32_t> Number(std::size_t offset, std::size_t count, bool bigEndian) const;

  const std::uint8_t* bytes_;
  std::size_t size_;
};

}  // namespace kelpo

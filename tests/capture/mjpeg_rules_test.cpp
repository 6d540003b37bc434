#include "capture/mjpeg_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelpo {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Segment(std::uint8_t marker, std::size_t bodySize) {
  Bytes segment = {0xFF, marker, static_cast<std::uint8_t>((bodySize + 2) >> 8),
                   static_cast<std::uint8_t>((bodySize + 2) & 0xFF)};
  segment.resize(segment.size() + bodySize, 0x11);
  return segment;
}

// A webcam's frame: SOI, APP0, DQT, SOF0, optionally DHT, SOS, entropy-coded
// data, EOI.
Bytes Frame(bool withTables, std::size_t* scanAt = nullptr) {
  Bytes frame = {0xFF, 0xD8};
  for (const Bytes& part : {Segment(0xE0, 14), Segment(0xDB, 65), Segment(0xC0, 15)}) {
    frame.insert(frame.end(), part.begin(), part.end());
  }
  if (withTables) {
    const Bytes dht = Segment(0xC4, 29);
    frame.insert(frame.end(), dht.begin(), dht.end());
  }
  if (scanAt != nullptr) *scanAt = frame.size();
  const Bytes scan = Segment(0xDA, 10);
  frame.insert(frame.end(), scan.begin(), scan.end());
  for (std::uint8_t byte : {0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD0, 0x56, 0xFF, 0xD9})
    frame.push_back(byte);
  return frame;
}

std::uint32_t Fnv1a(const std::uint8_t* bytes, std::size_t size) {
  std::uint32_t hash = 2166136261u;
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 16777619u;
  return hash;
}

TEST(Mjpeg, AFrameWithoutTablesGetsTheStandardOnesJustBeforeItsScan) {
  std::size_t scanAt = 0;
  const Bytes frame = Frame(false, &scanAt);
  Bytes completed;
  const auto jpeg = DecodableMjpegFrame(frame.data(), frame.size(), completed);
  ASSERT_TRUE(jpeg);
  ASSERT_EQ(jpeg->size, frame.size() + kStandardDhtSize);
  const Bytes out(jpeg->data, jpeg->data + jpeg->size);
  EXPECT_TRUE(std::equal(frame.begin(), frame.begin() + scanAt, out.begin()));
  EXPECT_TRUE(
      std::equal(frame.begin() + scanAt, frame.end(), out.begin() + scanAt + kStandardDhtSize));

  // One DHT segment of 418 bytes with the four tables, byte for byte those
  // libjpeg writes as its standard tables (compared once with one of its files).
  const std::uint8_t* dht = out.data() + scanAt;
  EXPECT_EQ(Bytes(dht, dht + 5), (Bytes{0xFF, 0xC4, 0x01, 0xA2, 0x00}));
  EXPECT_EQ(Fnv1a(dht, kStandardDhtSize), 0xdd122bf1u);
}

TEST(Mjpeg, FramesWithTablesAreUsedAsTheyAreAndBrokenOnesGiveNothing) {
  const Bytes frame = Frame(true);
  Bytes completed;
  const auto jpeg = DecodableMjpegFrame(frame.data(), frame.size(), completed);
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->data, frame.data());
  EXPECT_EQ(jpeg->size, frame.size());
  EXPECT_TRUE(completed.empty());

  // Fill bytes before a marker are allowed.
  Bytes filled = Frame(false);
  filled.insert(filled.begin() + 2, 0xFF);
  EXPECT_TRUE(DecodableMjpegFrame(filled.data(), filled.size(), completed));

  std::size_t scanAt = 0;
  const Bytes plain = Frame(false, &scanAt);
  // Not a JPEG; cut before or inside the scan header; a segment running past
  // the end; a second image start; bytes between segments.
  Bytes garbage = plain;
  garbage[1] = 0xD9;
  Bytes overlong = plain;
  overlong[4] = 0x7F;
  Bytes restarted = plain;
  restarted.insert(restarted.begin() + 2, {0xFF, 0xD8});
  Bytes stray = plain;
  stray.insert(stray.begin() + 2, 0x00);
  for (const Bytes& broken : {garbage, Bytes(plain.begin(), plain.begin() + scanAt),
                              Bytes(plain.begin(), plain.begin() + scanAt + 11), overlong,
                              restarted, stray, Bytes{0xFF}, Bytes{}}) {
    EXPECT_FALSE(DecodableMjpegFrame(broken.data(), broken.size(), completed)) << broken.size();
  }
}

}  // namespace
}  // namespace kelpo

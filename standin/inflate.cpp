#include "inflate.h"

#include <array>
#include <cstdint>

namespace standin {
namespace {

constexpr int kMaxBits = 15;

class BitReader {
 public:
  explicit BitReader(std::string_view data) : data_(data) {}
  // -1 when the input runs out.
  int Bits(int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
      if (bitCount_ == 0) {
        if (position_ >= data_.size()) return -1;
        current_ = static_cast<uint8_t>(data_[position_++]);
        bitCount_ = 8;
      }
      value |= static_cast<uint32_t>(current_ & 1) << i;
      current_ >>= 1;
      --bitCount_;
    }
    return static_cast<int>(value);
  }
  void AlignToByte() { bitCount_ = 0; }
  bool Take(size_t count, std::string_view* bytes) {
    if (data_.size() - position_ < count) return false;
    *bytes = data_.substr(position_, count);
    position_ += count;
    return true;
  }

 private:
  std::string_view data_;
  size_t position_ = 0;
  uint8_t current_ = 0;
  int bitCount_ = 0;
};

// Canonical Huffman code: counts of codes per length and the symbols in code order.
struct Huffman {
  std::array<uint16_t, kMaxBits + 1> counts{};
  std::array<uint16_t, 320> symbols{};
};

bool Build(Huffman& h, const uint8_t* lengths, int n) {
  h.counts.fill(0);
  for (int i = 0; i < n; ++i) ++h.counts[lengths[i]];
  if (h.counts[0] == n) return true;  // no codes: only valid if never used
  int left = 1;
  for (int len = 1; len <= kMaxBits; ++len) {
    left <<= 1;
    left -= h.counts[len];
    if (left < 0) return false;  // over-subscribed
  }
  std::array<uint16_t, kMaxBits + 1> offsets{};
  for (int len = 1; len < kMaxBits; ++len) offsets[len + 1] = offsets[len] + h.counts[len];
  for (int i = 0; i < n; ++i) {
    if (lengths[i] != 0) h.symbols[offsets[lengths[i]]++] = static_cast<uint16_t>(i);
  }
  return true;
}

int Decode(BitReader& in, const Huffman& h) {
  int code = 0, first = 0, index = 0;
  for (int len = 1; len <= kMaxBits; ++len) {
    const int bit = in.Bits(1);
    if (bit < 0) return -1;
    code |= bit;
    const int count = h.counts[len];
    if (code - count < first) return h.symbols[index + (code - first)];
    index += count;
    first += count;
    first <<= 1;
    code <<= 1;
  }
  return -1;
}

constexpr uint16_t kLengthBase[] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31,
                                    35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
                                    3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[] = {1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129,
                                      193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097,
                                      6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                      6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

bool Codes(BitReader& in, std::string* out, size_t start, size_t maxOutput, const Huffman& lengths,
           const Huffman& distances) {
  for (;;) {
    int symbol = Decode(in, lengths);
    if (symbol < 0) return false;
    if (symbol < 256) {
      if (out->size() - start >= maxOutput) return false;
      out->push_back(static_cast<char>(symbol));
      continue;
    }
    if (symbol == 256) return true;
    symbol -= 257;
    if (symbol >= 29) return false;
    int extra = in.Bits(kLengthExtra[symbol]);
    if (extra < 0) return false;
    const size_t length = kLengthBase[symbol] + extra;
    const int distanceSymbol = Decode(in, distances);
    if (distanceSymbol < 0 || distanceSymbol >= 30) return false;
    extra = in.Bits(kDistanceExtra[distanceSymbol]);
    if (extra < 0) return false;
    const size_t distance = kDistanceBase[distanceSymbol] + extra;
    if (distance > out->size() - start) return false;
    if (out->size() - start + length > maxOutput) return false;
    for (size_t i = 0; i < length; ++i) out->push_back((*out)[out->size() - distance]);
  }
}

bool FixedBlock(BitReader& in, std::string* out, size_t start, size_t maxOutput) {
  static const auto tables = [] {
    std::pair<Huffman, Huffman> t;
    uint8_t lengths[288];
    for (int i = 0; i < 144; ++i) lengths[i] = 8;
    for (int i = 144; i < 256; ++i) lengths[i] = 9;
    for (int i = 256; i < 280; ++i) lengths[i] = 7;
    for (int i = 280; i < 288; ++i) lengths[i] = 8;
    Build(t.first, lengths, 288);
    for (int i = 0; i < 30; ++i) lengths[i] = 5;
    Build(t.second, lengths, 30);
    return t;
  }();
  return Codes(in, out, start, maxOutput, tables.first, tables.second);
}

bool DynamicBlock(BitReader& in, std::string* out, size_t start, size_t maxOutput) {
  const int nlen = in.Bits(5) + 257;
  const int ndist = in.Bits(5) + 1;
  const int ncode = in.Bits(4) + 4;
  if (nlen < 257 || ndist < 1 || ncode < 4 || nlen > 286 || ndist > 30) return false;
  static constexpr uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  uint8_t lengths[320] = {};
  for (int i = 0; i < ncode; ++i) {
    const int bits = in.Bits(3);
    if (bits < 0) return false;
    lengths[kOrder[i]] = static_cast<uint8_t>(bits);
  }
  Huffman codeLengths;
  if (!Build(codeLengths, lengths, 19)) return false;
  int index = 0;
  while (index < nlen + ndist) {
    int symbol = Decode(in, codeLengths);
    if (symbol < 0) return false;
    if (symbol < 16) {
      lengths[index++] = static_cast<uint8_t>(symbol);
      continue;
    }
    uint8_t value = 0;
    int repeat = 0;
    if (symbol == 16) {
      if (index == 0) return false;
      value = lengths[index - 1];
      repeat = 3 + in.Bits(2);
    } else if (symbol == 17) {
      repeat = 3 + in.Bits(3);
    } else {
      repeat = 11 + in.Bits(7);
    }
    if (repeat < 3 || index + repeat > nlen + ndist) return false;
    while (repeat--) lengths[index++] = value;
  }
  if (lengths[256] == 0) return false;
  Huffman lengthCodes, distanceCodes;
  if (!Build(lengthCodes, lengths, nlen) || !Build(distanceCodes, lengths + nlen, ndist)) return false;
  return Codes(in, out, start, maxOutput, lengthCodes, distanceCodes);
}

}  // namespace

bool Inflate(std::string_view compressed, std::string* out, size_t maxOutput) {
  BitReader in(compressed);
  const size_t start = out->size();
  for (;;) {
    const int last = in.Bits(1);
    const int type = in.Bits(2);
    if (last < 0 || type < 0) return false;
    bool ok = false;
    if (type == 0) {
      in.AlignToByte();
      std::string_view header;
      if (!in.Take(4, &header)) return false;
      const unsigned len = static_cast<uint8_t>(header[0]) | static_cast<uint8_t>(header[1]) << 8;
      const unsigned nlen = static_cast<uint8_t>(header[2]) | static_cast<uint8_t>(header[3]) << 8;
      if (len != (~nlen & 0xFFFF)) return false;
      std::string_view bytes;
      if (!in.Take(len, &bytes) || out->size() - start + len > maxOutput) return false;
      out->append(bytes);
      ok = true;
    } else if (type == 1) {
      ok = FixedBlock(in, out, start, maxOutput);
    } else if (type == 2) {
      ok = DynamicBlock(in, out, start, maxOutput);
    }
    if (!ok) return false;
    if (last) return true;
  }
}

}  // namespace standin

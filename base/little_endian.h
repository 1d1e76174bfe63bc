// ByteReader and ByteWriter read and write the little-endian binary layouts
// of resource files, library images and language files. A ByteReader never
// reads past its end: a read that does not fit fails, and every later read
// of that reader fails too, so a parser checks ok() once at the end of a
// unit. Used by one thread at a time.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace trellisk {

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  uint8_t U8() { return static_cast<uint8_t>(Read(1)); }
  uint16_t U16() { return static_cast<uint16_t>(Read(2)); }
  uint32_t U32() { return static_cast<uint32_t>(Read(4)); }
  int16_t I16() { return static_cast<int16_t>(U16()); }
  // `count` bytes, or nothing (and the reader failed) when fewer are left.
  std::span<const uint8_t> Bytes(size_t count) {
    if (!Has(count)) return Fail();
    const auto part = bytes_.subspan(position_, count);
    position_ += count;
    return part;
  }
  // A zero-terminated UTF-16 string; the terminator is consumed.
  std::u16string Utf16z() {
    std::u16string text;
    for (char16_t unit = U16(); ok_ && unit != 0; unit = U16()) text += unit;
    return text;
  }
  // Skips to the next multiple of `alignment` from the start.
  void Align(size_t alignment) {
    const size_t padding = (alignment - position_ % alignment) % alignment;
    if (position_ + padding > bytes_.size()) position_ = bytes_.size();
    else position_ += padding;
  }
  void Seek(size_t position) {
    if (position > bytes_.size()) Fail();
    else position_ = position;
  }

  // Marks the reader failed: what it was asked to read cannot be there.
  void Invalidate() { ok_ = false; }

  bool Has(size_t count) const { return ok_ && count <= bytes_.size() - position_; }
  bool ok() const { return ok_; }
  bool AtEnd() const { return position_ == bytes_.size(); }
  size_t position() const { return position_; }
  size_t size() const { return bytes_.size(); }

 private:
  uint32_t Read(size_t count) {
    if (!Has(count)) {
      Fail();
      return 0;
    }
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i) value |= static_cast<uint32_t>(bytes_[position_ + i]) << (8 * i);
    position_ += count;
    return value;
  }
  std::span<const uint8_t> Fail() {
    ok_ = false;
    return {};
  }

  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
  bool ok_ = true;
};

class ByteWriter {
 public:
  void U8(uint8_t value) { bytes_.push_back(value); }
  void U16(uint16_t value) { Write(value, 2); }
  void U32(uint32_t value) { Write(value, 4); }
  void I16(int16_t value) { U16(static_cast<uint16_t>(value)); }
  void Bytes(std::span<const uint8_t> data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
  void Text(const std::string& text) { bytes_.insert(bytes_.end(), text.begin(), text.end()); }
  void Utf16z(const std::u16string& text) {
    for (const char16_t unit : text) U16(unit);
    U16(0);
  }
  void Align(size_t alignment) {
    while (bytes_.size() % alignment != 0) bytes_.push_back(0);
  }
  void PadTo(size_t size) {
    if (bytes_.size() < size) bytes_.resize(size, 0);
  }
  // Overwrites four bytes written earlier.
  void PatchU32(size_t at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(value >> (8 * i));
  }

  size_t size() const { return bytes_.size(); }
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  void Write(uint32_t value, size_t count) {
    for (size_t i = 0; i < count; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  std::vector<uint8_t> bytes_;
};

}  // namespace trellisk

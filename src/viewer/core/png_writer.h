#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kest {

class Stream;

// Writes a PNG row by row, so that an image taller than memory allows (a whole log
// at printer resolution) never exists at once. 8-bit grey or RGB, no interlace.
class PngWriter {
 public:
  enum class Color : uint8_t { Gray = 0, Rgb = 2 };

  // Writes the signature and the header. Raises EKestError for sizes PNG cannot hold.
  PngWriter(Stream& out, uint32_t width, uint32_t height, Color color);
  ~PngWriter();
  PngWriter(const PngWriter&) = delete;
  PngWriter& operator=(const PngWriter&) = delete;

  // One row of Width() pixels (1 byte each in grey, 3 in RGB).
  void WriteRow(const uint8_t* pixels);
  // After the last row: the rest of the data and the end chunk. Raises EKestError
  // when fewer rows than the height were written.
  void Finish();

  uint32_t Width() const { return width_; }
  uint32_t Height() const { return height_; }
  uint32_t RowsWritten() const { return rows_; }

 private:
  void Deflate(const uint8_t* data, size_t size, int flush);
  void Chunk(const char type[4], const uint8_t* data, size_t size);

  Stream& out_;
  uint32_t width_;
  uint32_t height_;
  size_t row_bytes_;
  uint32_t rows_ = 0;
  bool finished_ = false;
  struct Zlib;
  std::unique_ptr<Zlib> zlib_;
  std::vector<uint8_t> row_;
  std::vector<uint8_t> previous_;
  std::vector<uint8_t> idat_;
};

}  // namespace kest

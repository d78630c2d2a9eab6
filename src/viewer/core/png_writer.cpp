#include "viewer/core/png_writer.h"

#include <zlib.h>

#include <cstring>

#include "support/errors.h"
#include "support/stream.h"

namespace kest {

// The compressor's state; ended when it goes, once it was started.
struct PngWriter::Zlib {
  z_stream z{};
  bool started = false;
  Zlib() = default;
  Zlib(const Zlib&) = delete;
  Zlib& operator=(const Zlib&) = delete;
  ~Zlib() {
    if (started) deflateEnd(&z);
  }
};

namespace {

constexpr size_t kIdatSize = 1 << 16;

void PutBigEndian(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

}  // namespace

PngWriter::PngWriter(Stream& out, uint32_t width, uint32_t height, Color color)
    : out_(out), width_(width), height_(height), zlib_(std::make_unique<Zlib>()) {
  if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
    throw EKestError("Размер изображения вне допустимого");
  row_bytes_ = static_cast<size_t>(width) * (color == Color::Rgb ? 3 : 1);
  if (deflateInit(&zlib_->z, 3) != Z_OK) throw EKestError("Не удалось начать сжатие изображения");
  zlib_->started = true;
  // A write that fails here (a full disk) ends the compression through zlib_'s owner.
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  out_.Write(kSignature, sizeof kSignature);
  // IHDR: width, height (big-endian), bit depth 8, colour type, compression 0,
  // filter 0, interlace 0.
  uint8_t header[13] = {};
  PutBigEndian(header, width);
  PutBigEndian(header + 4, height);
  header[8] = 8;
  header[9] = static_cast<uint8_t>(color);
  Chunk("IHDR", header, sizeof header);
  row_.resize(row_bytes_ + 1);
  idat_.reserve(kIdatSize);
}

PngWriter::~PngWriter() = default;

void PngWriter::Chunk(const char type[4], const uint8_t* data, size_t size) {
  uint8_t head[8];
  PutBigEndian(head, static_cast<uint32_t>(size));
  std::memcpy(head + 4, type, 4);
  out_.Write(head, 8);
  if (size > 0) out_.Write(data, size);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
  if (size > 0) crc = crc32(crc, data, static_cast<uInt>(size));
  uint8_t tail[4];
  PutBigEndian(tail, static_cast<uint32_t>(crc));
  out_.Write(tail, 4);
}

void PngWriter::Deflate(const uint8_t* data, size_t size, int flush) {
  z_stream& z = zlib_->z;
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = static_cast<uInt>(size);
  uint8_t buffer[kIdatSize];
  int status = Z_OK;
  do {
    z.next_out = buffer;
    z.avail_out = sizeof buffer;
    status = deflate(&z, flush);
    if (status == Z_STREAM_ERROR) throw EKestError("Ошибка сжатия изображения");
    const size_t produced = sizeof buffer - z.avail_out;
    idat_.insert(idat_.end(), buffer, buffer + produced);
    if (idat_.size() >= kIdatSize) {
      Chunk("IDAT", idat_.data(), idat_.size());
      idat_.clear();
    }
  } while (z.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
}

void PngWriter::WriteRow(const uint8_t* pixels) {
  if (finished_ || rows_ >= height_) throw EKestError("Слишком много строк изображения");
  // Filter type 2 (Up): each byte minus the byte above it. A log repeats most of a
  // row in the next (white, the grid's vertical lines), which leaves long runs of
  // zeros that compress fast and small.
  row_[0] = 2;
  if (previous_.empty()) previous_.assign(row_bytes_, 0);
  for (size_t i = 0; i < row_bytes_; ++i)
    row_[i + 1] = static_cast<uint8_t>(pixels[i] - previous_[i]);
  std::memcpy(previous_.data(), pixels, row_bytes_);
  Deflate(row_.data(), row_.size(), Z_NO_FLUSH);
  ++rows_;
}

void PngWriter::Finish() {
  if (finished_) return;
  if (rows_ != height_) throw EKestError("Изображение не закончено");
  Deflate(nullptr, 0, Z_FINISH);
  if (!idat_.empty()) Chunk("IDAT", idat_.data(), idat_.size());
  idat_.clear();
  Chunk("IEND", nullptr, 0);
  finished_ = true;
}

}  // namespace kest

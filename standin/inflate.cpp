#include "inflate.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace standin {
namespace {

constexpr int kRawDeflate = -15;  // window bits of a raw stream, without zlib's header
constexpr size_t kChunk = 64 * 1024;

}  // namespace

bool Inflate(std::string_view compressed, std::string* out, size_t maxOutput) {
  if (compressed.size() > std::numeric_limits<uInt>::max()) return false;
  z_stream stream{};
  if (inflateInit2(&stream, kRawDeflate) != Z_OK) return false;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(compressed.size());
  std::string chunk;
  size_t produced = 0;
  int result = Z_OK;
  while (result == Z_OK) {
    // One byte more than the limit allows tells a stream that is too long from one that fits.
    chunk.resize(std::min(kChunk, maxOutput - produced + 1));
    stream.next_out = reinterpret_cast<Bytef*>(chunk.data());
    stream.avail_out = static_cast<uInt>(chunk.size());
    result = inflate(&stream, Z_NO_FLUSH);
    const size_t made = chunk.size() - stream.avail_out;
    if (made > maxOutput - produced) {
      result = Z_BUF_ERROR;
      break;
    }
    out->append(chunk, 0, made);
    produced += made;
    if (result == Z_OK && made == 0 && stream.avail_in == 0) result = Z_BUF_ERROR;  // cut short
  }
  inflateEnd(&stream);
  return result == Z_STREAM_END;
}

std::string Deflate(std::string_view bytes) {
  z_stream stream{};
  deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kRawDeflate, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);  // the bound leaves room for all of it in one call
  out.resize(stream.total_out);
  out.shrink_to_fit();  // the bound is far more than text needs
  deflateEnd(&stream);
  return out;
}

}  // namespace standin

#include "platform/line_reader.h"

#include <cstring>

namespace trellisk::platform {

namespace {
constexpr size_t kChunkSize = 1 << 16;
}

LineReader::LineReader(ReadableFile& file) : file_(file), chunk_(kChunkSize, '\0') {}

bool LineReader::Refill() {
  chunkPos_ = 0;
  chunkLen_ = file_.Read(chunk_.data(), chunk_.size());
  if (chunkLen_ == 0) atEnd_ = true;
  return chunkLen_ != 0;
}

bool LineReader::ReadLine(size_t bufferSize, std::string_view& line) {
  line = {};
  if (bufferSize < 2) return false;
  const size_t limit = bufferSize - 1;
  assembled_.clear();
  for (;;) {
    if (chunkPos_ == chunkLen_ && !Refill()) break;
    const size_t wanted = limit - assembled_.size();
    const size_t available = chunkLen_ - chunkPos_;
    const size_t scan = available < wanted ? available : wanted;
    const char* start = chunk_.data() + chunkPos_;
    const void* newline = std::memchr(start, '\n', scan);
    const size_t take = newline ? static_cast<const char*>(newline) - start + 1 : scan;
    const bool complete = newline != nullptr || take == wanted;
    if (complete && assembled_.empty()) {
      line = std::string_view(start, take);
      chunkPos_ += take;
      return Returned(line, limit);
    }
    assembled_.append(start, take);
    chunkPos_ += take;
    if (complete) break;
  }
  if (assembled_.empty()) return false;
  line = assembled_;
  return Returned(line, limit);
}

void LineReader::Skip(size_t bytes, uint64_t lines) {
  chunkPos_ += bytes;
  lineNumber_ += lines;
  if (lines != 0) lastLineCut_ = false;
}

bool LineReader::Returned(std::string_view line, size_t limit) {
  ++lineNumber_;
  lastLineCut_ = line.size() == limit && line.back() != '\n';
  return true;
}

}  // namespace trellisk::platform

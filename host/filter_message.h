// FilterMessage is the message a filter run reads on standard input: read
// whole before anything else can fail, and written to standard output
// exactly once — with the filter's verdict when it has one, otherwise
// unchanged — so that a delivery through the filter never loses or cuts a
// mail. Used by the host's main thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace trellisk::host {

class FilterMessage {
 public:
  // Nothing, with `error` set, when standard input cannot be read.
  static std::optional<FilterMessage> ReadStandardInput(std::string& error);

  const std::string& bytes() const { return bytes_; }
  bool written() const { return written_; }
  // Writes `output` in the message's place; false when standard output
  // took less than all of it.
  bool Write(std::string_view output);
  // Writes the message unchanged unless something was written already.
  bool PassThrough();

 private:
  explicit FilterMessage(std::string bytes) : bytes_(std::move(bytes)) {}

  std::string bytes_;
  bool written_ = false;
};

}  // namespace trellisk::host

// MessageInputs turns the paths given to the test host into the list of
// messages they hold: a file is one message, or several when it is an mbox
// file (messages separated by "From " postmark lines); a Maildir folder
// holds the messages in its cur/ and new/ folders; any other directory holds
// the messages of every file below it. Entries are sorted by name within
// each directory, so a run over the same inputs always sees the same order.
//
// Every file is read once while the inputs are listed, to tell mbox files
// from message files; a message file's bytes are kept for LoadMessage up to
// a limit (256 MB in all), beyond which they are read again when loaded,
// and the messages of an mbox file are always read again one by one, so a
// large batch does not sit in memory. Thread-safe after construction.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace trellisk::host {

struct MessageInput {
  // How the message is named in the output: the path, with "#n" for the
  // n-th message (from 1) of an mbox file.
  std::string name;
  std::string path;
  // The message's bytes within the file; the whole file for a plain file.
  size_t offset = 0;
  std::optional<size_t> length;
  // The bytes, when listing the inputs has read them already.
  std::shared_ptr<const std::string> content;
};

struct InputProblem {
  std::string path;
  std::string reason;
};

class MessageInputs {
 public:
  // Expands every path; paths that cannot be read are collected as problems.
  void Add(const std::string& path, const std::string& displayName);

  const std::vector<MessageInput>& messages() const { return messages_; }
  const std::vector<InputProblem>& problems() const { return problems_; }

 private:
  void AddDirectory(const std::string& path, const std::string& displayName);
  void AddFile(const std::string& path, const std::string& displayName);

  std::vector<MessageInput> messages_;
  std::vector<InputProblem> problems_;
  size_t keptBytes_ = 0;
};

// The message's bytes; nothing, with `error` set, when they cannot be read.
std::optional<std::string> LoadMessage(const MessageInput& input, std::string& error);

// The messages of an mbox text: each message's offset and length, without
// its postmark line, or nothing when the text is not an mbox file (it does
// not start with a postmark line followed by another one).
std::optional<std::vector<std::pair<size_t, size_t>>> SplitMbox(const std::string& text);

}  // namespace trellisk::host

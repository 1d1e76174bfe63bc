// MessageInputs turns the paths given to the test host into the list of
// messages they hold: a file is one message, or several when it is an mbox
// file (messages separated by "From " postmark lines); a Maildir folder
// holds the messages in its cur/ and new/ folders; any other directory holds
// the messages of every file below it. Entries are sorted by name within
// each directory, so a run over the same inputs always sees the same order.
//
// Listing reads no file: an input is a file, or (after ExpandMboxFiles) one
// message of an mbox file. LoadMessages reads an input when its turn comes
// and splits an mbox file into its messages, so a batch reads every file
// once, on the thread that handles it, and does not sit in memory.
// Thread-safe after construction.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace trellisk::host {

struct MessageInput {
  // How the input is named in the output: the path, with "#n" for the n-th
  // message (from 1) of an mbox file.
  std::string name;
  std::string path;
  // One message's bytes within an mbox file; nothing for a whole file.
  size_t offset = 0;
  std::optional<size_t> length;
  // The bytes of an input that is no file (standard input), or null.
  std::shared_ptr<const std::string> content;
};

struct LoadedMessage {
  std::string name;
  std::string bytes;
};

struct InputProblem {
  std::string path;
  std::string reason;
};

class MessageInputs {
 public:
  // Expands every path; paths that cannot be read are collected as problems.
  void Add(const std::string& path, const std::string& displayName);
  // Bytes that are no file, such as standard input: one message (without
  // the postmark line a delivery agent may put in front), or with `mbox`
  // every message of an mbox text.
  void AddText(std::string bytes, const std::string& displayName, bool mbox);
  // Reads every file and lists the messages of each mbox file in its place,
  // for callers that need the position of every message.
  void ExpandMboxFiles();

  const std::vector<MessageInput>& messages() const { return messages_; }
  const std::vector<InputProblem>& problems() const { return problems_; }

 private:
  void AddDirectory(const std::string& path, const std::string& displayName);
  void AddFile(const std::string& path, const std::string& displayName);

  std::vector<MessageInput> messages_;
  std::vector<InputProblem> problems_;
};

// The messages of an input: the one message of a message file or an mbox
// message, or every message of an mbox file. False, with `error` set, when
// the input cannot be read.
bool LoadMessages(const MessageInput& input, std::vector<LoadedMessage>& messages, std::string& error);

// The messages of an mbox text: each message's offset and length, without
// its postmark line, or nothing when the text is not an mbox file (it does
// not start with a postmark line followed by another one).
std::optional<std::vector<std::pair<size_t, size_t>>> SplitMbox(const std::string& text);

}  // namespace trellisk::host

#include "host/message_inputs.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "host/mbox_postmark.h"

namespace trellisk::host {
namespace {

namespace fs = std::filesystem;


bool IsMaildir(const fs::path& directory) {
  std::error_code ignored;
  return fs::is_directory(directory / "cur", ignored) && fs::is_directory(directory / "new", ignored);
}

// The entries in name order; their types come with the listing where the
// file system gives them, so most entries need no further look-up.
std::vector<fs::directory_entry> SortedEntries(const fs::path& directory, std::error_code& error) {
  std::vector<fs::directory_entry> entries;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(*it);
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

// `length` bytes from `offset` on, or the rest of the file when no length
// is given.
std::optional<std::string> ReadFileBytes(const std::string& path, size_t offset, std::optional<size_t> length) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::nullopt;
  std::string bytes;
  bool ok = offset == 0 || std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
  char chunk[1 << 16];
  size_t wanted = length.value_or(SIZE_MAX);
  while (ok && wanted > 0) {
    const size_t read = std::fread(chunk, 1, std::min(sizeof chunk, wanted), file);
    bytes.append(chunk, read);
    wanted -= read;
    if (read < std::min(sizeof chunk, wanted + read)) break;
  }
  ok = ok && !std::ferror(file);
  std::fclose(file);
  if (!ok) return std::nullopt;
  return bytes;
}

}  // namespace

std::optional<std::vector<std::pair<size_t, size_t>>> SplitMbox(const std::string& text) {
  const std::string_view all(text);
  auto lineAt = [&](size_t start) {
    const size_t end = all.find('\n', start);
    return all.substr(start, (end == std::string_view::npos ? all.size() : end) - start);
  };
  if (!IsPostmark(lineAt(0))) return std::nullopt;
  // Later postmarks follow an empty line (LF or CR LF line ends).
  std::vector<size_t> postmarks{0};
  for (size_t at = all.find("\nFrom ", 1); at != std::string_view::npos; at = all.find("\nFrom ", at + 1)) {
    const bool afterEmptyLine = all[at - 1] == '\n' || (at >= 2 && all[at - 1] == '\r' && all[at - 2] == '\n');
    if (afterEmptyLine && IsPostmark(lineAt(at + 1))) postmarks.push_back(at + 1);
  }
  if (postmarks.size() < 2) return std::nullopt;
  std::vector<std::pair<size_t, size_t>> messages;
  for (size_t i = 0; i < postmarks.size(); ++i) {
    const size_t bodyStart = std::min(text.size(), text.find('\n', postmarks[i]) + 1);
    const size_t next = i + 1 < postmarks.size() ? postmarks[i + 1] : text.size();
    messages.emplace_back(bodyStart, next - bodyStart);
  }
  return messages;
}

void MessageInputs::Add(const std::string& path, const std::string& displayName) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) {
    problems_.push_back({displayName, "no such file or directory"});
  } else if (fs::is_directory(status)) {
    AddDirectory(path, displayName);
  } else {
    AddFile(path, displayName);
  }
}

void MessageInputs::AddDirectory(const std::string& path, const std::string& displayName) {
  const fs::path directory(path);
  std::vector<fs::path> folders{directory};
  if (IsMaildir(directory)) folders = {directory / "cur", directory / "new"};
  for (const fs::path& folder : folders) {
    std::error_code error;
    const std::vector<fs::directory_entry> entries = SortedEntries(folder, error);
    if (error) {
      problems_.push_back({folder.string(), error.message()});
      continue;
    }
    for (const fs::directory_entry& entry : entries) {
      const std::string name = (fs::path(displayName) / entry.path().lexically_relative(directory)).string();
      if (entry.is_directory(error)) {
        AddDirectory(entry.path().string(), name);
      } else if (entry.is_regular_file(error)) {
        AddFile(entry.path().string(), name);
      }
    }
  }
}

void MessageInputs::AddFile(const std::string& path, const std::string& displayName) {
  messages_.push_back({displayName, path, 0, std::nullopt, nullptr});
}

void MessageInputs::AddText(std::string bytes, const std::string& displayName, bool mbox) {
  const auto content = std::make_shared<const std::string>(std::move(bytes));
  const auto messages = mbox ? SplitMbox(*content) : std::nullopt;
  if (!messages) {
    const size_t postmark = content->size() - WithoutPostmark(*content).size();
    messages_.push_back({displayName, displayName, postmark, content->size() - postmark, content});
    return;
  }
  for (size_t i = 0; i < messages->size(); ++i) {
    const auto [offset, length] = (*messages)[i];
    messages_.push_back({displayName + "#" + std::to_string(i + 1), displayName, offset, length, content});
  }
}

void MessageInputs::ExpandMboxFiles() {
  std::vector<MessageInput> expanded;
  for (MessageInput& input : messages_) {
    std::optional<std::string> text;
    if (!input.length && !input.content) text = ReadFileBytes(input.path, 0, std::nullopt);
    const auto mbox = text ? SplitMbox(*text) : std::nullopt;
    if (!mbox) {
      expanded.push_back(std::move(input));
      continue;
    }
    for (size_t i = 0; i < mbox->size(); ++i) {
      const auto [offset, length] = (*mbox)[i];
      expanded.push_back({input.name + "#" + std::to_string(i + 1), input.path, offset, length, nullptr});
    }
  }
  messages_ = std::move(expanded);
}

bool LoadMessages(const MessageInput& input, std::vector<LoadedMessage>& messages, std::string& error) {
  messages.clear();
  if (input.content) {
    messages.push_back({input.name, input.content->substr(input.offset, input.length.value_or(std::string::npos))});
    return true;
  }
  std::optional<std::string> bytes = ReadFileBytes(input.path, input.offset, input.length);
  if (!bytes) {
    error = "cannot be read";
    return false;
  }
  const auto mbox = input.length ? std::nullopt : SplitMbox(*bytes);
  if (!mbox) {
    messages.push_back({input.name, std::move(*bytes)});
    return true;
  }
  for (size_t i = 0; i < mbox->size(); ++i) {
    const auto [offset, length] = (*mbox)[i];
    messages.push_back({input.name + "#" + std::to_string(i + 1), bytes->substr(offset, length)});
  }
  return true;
}

}  // namespace trellisk::host

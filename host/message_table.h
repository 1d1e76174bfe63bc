// MessageTable plays the mail client's message store for the plug-in: each
// message the host hands over gets a handle, and the PropertyReader callback
// serves the message's raw bytes (property 100005) by that handle. A
// HostedMessage keeps one message registered for the length of one call, as
// the client's handles are valid only during its call.
//
// Thread-safe: scoring threads register and read messages at once.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "plugin/tbp_api.h"

namespace trellisk::host {

class MessageTable {
 public:
  static MessageTable& Instance();

  MessageHandle Add(std::shared_ptr<const std::string> bytes);
  void Remove(MessageHandle handle);

  // The PropertyReader handed to the plug-in.
  static int TBP_CALL ReadProperty(MessageHandle message, int property, char* buffer, int size);

 private:
  std::shared_ptr<const std::string> Find(MessageHandle handle);

  std::mutex mutex_;
  MessageHandle nextHandle_ = 1;
  std::unordered_map<MessageHandle, std::shared_ptr<const std::string>> messages_;
};

class HostedMessage {
 public:
  explicit HostedMessage(std::string bytes)
      : handle_(MessageTable::Instance().Add(std::make_shared<const std::string>(std::move(bytes)))) {}
  ~HostedMessage() { MessageTable::Instance().Remove(handle_); }
  HostedMessage(const HostedMessage&) = delete;
  HostedMessage& operator=(const HostedMessage&) = delete;

  MessageHandle handle() const { return handle_; }

 private:
  MessageHandle handle_;
};

}  // namespace trellisk::host

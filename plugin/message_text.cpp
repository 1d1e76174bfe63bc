#include "plugin/message_text.h"

#include <algorithm>

namespace trellisk {

std::optional<MessageText> ReadMessageText(MessageHandle message, PropertyReader reader) {
  if (reader == nullptr) return std::nullopt;
  try {
    const int needed = reader(message, TBP_PROPERTY_RAW_MESSAGE, nullptr, 0);
    if (needed <= 0) return std::nullopt;
    // One byte beyond kLongMessageBytes tells a message that must be cut.
    const int wanted = static_cast<int>(std::min<size_t>(static_cast<size_t>(needed), kLongMessageBytes + 1));
    MessageText text{std::string(static_cast<size_t>(wanted), '\0'), 0};
    const int copied = reader(message, TBP_PROPERTY_RAW_MESSAGE, text.bytes.data(), wanted);
    // A reader that claims more than it was allowed to copy is not believed.
    if (copied <= 0 || copied > wanted) return std::nullopt;
    text.bytes.resize(static_cast<size_t>(copied));
    text.deliveredLength = static_cast<size_t>(copied == wanted ? needed : copied);
    return text;
  } catch (...) {
    return std::nullopt;
  }
}

void CutLongMessage(std::string& text) {
  if (text.size() > kLongMessageBytes) text.resize(kExaminedMessageBytes);
}

}  // namespace trellisk

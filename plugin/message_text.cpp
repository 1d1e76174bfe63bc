#include "plugin/message_text.h"

namespace trellisk {

std::optional<std::string> ReadMessageText(MessageHandle message, PropertyReader reader) {
  if (reader == nullptr) return std::nullopt;
  try {
    const int needed = reader(message, TBP_PROPERTY_RAW_MESSAGE, nullptr, 0);
    if (needed <= 0) return std::nullopt;
    std::string text(static_cast<size_t>(needed), '\0');
    const int copied = reader(message, TBP_PROPERTY_RAW_MESSAGE, text.data(), needed);
    // A reader that claims more than it was allowed to copy is not believed.
    if (copied <= 0 || copied > needed) return std::nullopt;
    text.resize(static_cast<size_t>(copied));
    return text;
  } catch (...) {
    return std::nullopt;
  }
}

void CutLongMessage(std::string& text) {
  if (text.size() > kLongMessageBytes) text.resize(kExaminedMessageBytes);
}

}  // namespace trellisk

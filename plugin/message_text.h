// Reading a message from the host: the complete raw message (property
// 100005) through the host's PropertyReader, and the cut of long messages to
// the size the plug-in examines. Thread-safe.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "plugin/tbp_api.h"

namespace trellisk {

// Messages longer than this are cut to kExaminedMessageBytes.
inline constexpr size_t kLongMessageBytes = 65536;
inline constexpr size_t kExaminedMessageBytes = 65535;

// The message text, or nothing when the reader gives no bytes or fails.
// The string's buffer ends with a zero byte, as the parser needs.
std::optional<std::string> ReadMessageText(MessageHandle message, PropertyReader reader);

// Cuts a text longer than kLongMessageBytes to its first
// kExaminedMessageBytes bytes.
void CutLongMessage(std::string& text);

}  // namespace trellisk

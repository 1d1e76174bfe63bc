// MessageLabels are the field names of the log lines about one message
// ("Message-ID", "From", "Subject", "Score", "Reason", "Filtertime",
// "Learningtime"), loaded from the current texts once per message, and the
// helpers that put a line together from them. Pure; thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace trellisk {

class TextSource;

struct MessageLabels {
  static MessageLabels Load(const TextSource& texts);

  std::string messageId;
  std::string from;
  std::string subject;
  std::string score;
  std::string reason;
  std::string filtertime;
  std::string learningtime;
};

// "<label>: <value>".
std::string LabelledField(const std::string& label, std::string_view value);

// "<word>, Message-ID: <id>, From: <from>, Subject: <subject>".
std::string MessageLine(std::string_view word, const MessageLabels& labels, std::string_view id,
                        std::string_view from, std::string_view subject);

// "<label>: <milliseconds with two decimals>ms".
std::string ElapsedField(const std::string& label, double milliseconds);

}  // namespace trellisk

#include "plugin/message_labels.h"

#include "base/number_text.h"
#include "base/text_source.h"

namespace trellisk {

MessageLabels MessageLabels::Load(const TextSource& texts) {
  return MessageLabels{texts.Load(kTextLabelMessageId), texts.Load(kTextLabelFrom),
                       texts.Load(kTextLabelSubject),   texts.Load(kTextLabelScore),
                       texts.Load(kTextLabelReason),    texts.Load(kTextLabelFiltertime),
                       texts.Load(kTextLabelLearningtime)};
}

std::string LabelledField(const std::string& label, std::string_view value) {
  std::string field = label;
  field += ": ";
  field += value;
  return field;
}

std::string MessageLine(std::string_view word, const MessageLabels& labels, std::string_view id,
                        std::string_view from, std::string_view subject) {
  std::string line(word);
  line += ", " + LabelledField(labels.messageId, id);
  line += ", " + LabelledField(labels.from, from);
  line += ", " + LabelledField(labels.subject, subject);
  return line;
}

std::string ElapsedField(const std::string& label, double milliseconds) {
  return LabelledField(label, FormatTwoDecimals(milliseconds) + "ms");
}

}  // namespace trellisk

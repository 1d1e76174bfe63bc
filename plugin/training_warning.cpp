#include "plugin/training_warning.h"

namespace trellisk {
namespace {
constexpr uint32_t kEnoughSpam = 100;
constexpr uint32_t kEnoughHam = 50;
}  // namespace

std::optional<TrainingWarning> TrainingWarningFor(uint32_t spam, uint32_t ham) {
  if (ham == 0 && spam == 0) return TrainingWarning{kTextEmptyDatabase, kTextDatabaseEmptyWarning};
  if (ham == 0) return TrainingWarning{kTextMissingHamMails, kTextNoHamWarning};
  if (spam == 0) return TrainingWarning{kTextMissingSpamMails, kTextNoSpamWarning};
  const bool fewHam = ham < kEnoughHam;
  const bool fewSpam = spam < kEnoughSpam;
  if (fewHam && fewSpam) return TrainingWarning{kTextEmptyDatabase, kTextFewSpamAndHamWarning};
  if (fewHam) return TrainingWarning{kTextMissingHamMails, kTextFewHamWarning};
  if (fewSpam) return TrainingWarning{kTextMissingSpamMails, kTextFewSpamWarning};
  return std::nullopt;
}

}  // namespace trellisk

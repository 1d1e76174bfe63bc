// The language file beside the plug-in: the input is the file. Indexing and
// reading its records must stay inside the file; every record read must
// encode and read back to itself; and a translation made from it must give
// a module whose image reads back.
#include "base/language_file.h"
#include "base/resource_image.h"
#include "base/resource_module.h"
#include "base/translation.h"
#include "fuzz/fuzz_targets.h"

namespace trellisk::fuzz {

void FuzzLanguageFile(FuzzInput input) {
  std::string problem;
  const auto file = LanguageFile::Parse(std::vector<uint8_t>(input.begin(), input.end()), problem);
  if (!file) return;
  for (const uint32_t language : file->Languages()) {
    const auto record = file->Record(language, problem);
    if (!record) continue;
    std::string again;
    const auto reread = LanguageFile::Parse(EncodeLanguageFile({*record}), again);
    Expect(reread && reread->Record(language, again) == record, "a record does not read back as it was written");
    const auto image = BuildResourceImage(TranslateResources(OwnResourceModule().Resources(), *record));
    Expect(ImageResourceModule::Open(image) != nullptr, "a translated image does not read back");
  }
}

}  // namespace trellisk::fuzz

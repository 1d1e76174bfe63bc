// The resource modules: the library image built from the own resources read
// back field by field and resource by resource, the dialog templates of both
// forms, and the translation rules (keys, position suffixes, the string
// list), the language file and the switch between languages.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "base/dialog_template.h"
#include "base/language_resources.h"
#include "base/resource_image.h"
#include "base/resource_module.h"
#include "base/string_table.h"
#include "base/text_id.h"
#include "base/translation.h"
#include "platform/code_page.h"
#include "platform/memory_file_system.h"

namespace trellisk {
namespace {

using platform::Resource;
using platform::ResourceName;

const Resource& Find(const std::vector<Resource>& resources, uint16_t type, uint16_t name) {
  for (const Resource& resource : resources) {
    if (resource.type == ResourceName::Number(type) && resource.name == ResourceName::Number(name)) return resource;
  }
  throw std::runtime_error("no resource " + std::to_string(type) + "/" + std::to_string(name));
}

DialogTemplate Dialog(const std::vector<Resource>& resources, uint16_t id) {
  return ParseDialogTemplate(Find(resources, platform::kResourceTypeDialog, id).data).value();
}

const DialogItem& Item(const DialogTemplate& dialog, int32_t id) {
  for (const DialogItem& item : dialog.items) {
    if (DialogItemId(dialog, item) == id) return item;
  }
  throw std::runtime_error("no control " + std::to_string(id));
}

std::string Utf8(const std::u16string& text) { return platform::Utf16ToUtf8(text); }

TEST(ResourceImageTest, HeadersAreTheLayoutOfAResourceOnlyLibrary) {
  const std::vector<Resource> own = OwnResourceModule().Resources();
  const std::vector<uint8_t> bytes = BuildResourceImage(own);
  const ResourceImage image = ReadResourceImage(bytes).value();
  ASSERT_EQ(image.sections.size(), 2u);
  const ResourceImageSection& tree = image.sections[0];
  const ResourceImageSection& relocations = image.sections[1];
  const uint32_t treeSpace = (image.resourceDirectorySize + 4095) / 4096 * 4096;
  EXPECT_EQ(bytes.size(), treeSpace + 8192u);
  EXPECT_EQ(image.newHeaderOffset, 64u);
  EXPECT_EQ(image.machine, 0x14C);
  EXPECT_EQ(image.characteristics, 0x210E);
  EXPECT_EQ(image.optionalHeaderMagic, 0x10B);
  EXPECT_EQ(image.imageBase, 0x10000000u);
  EXPECT_EQ(image.sectionAlignment, 4096u);
  EXPECT_EQ(image.fileAlignment, 4096u);
  EXPECT_EQ(image.headersSize, 4096u);
  EXPECT_EQ(image.imageSize, treeSpace + 8192u);
  EXPECT_EQ(image.subsystem, 2);
  EXPECT_EQ(image.dataDirectoryCount, 16u);
  EXPECT_EQ(tree.name, ".rsrc");
  EXPECT_EQ(tree.virtualAddress, 4096u);
  EXPECT_EQ(tree.rawOffset, 4096u);
  EXPECT_EQ(tree.virtualSize, image.resourceDirectorySize);
  EXPECT_EQ(tree.rawSize, treeSpace);
  EXPECT_EQ(tree.characteristics, 0x40000040u);
  EXPECT_EQ(image.resourceDirectoryAddress, 4096u);
  EXPECT_EQ(relocations.name, ".reloc");
  EXPECT_EQ(relocations.virtualAddress, treeSpace + 4096);
  EXPECT_EQ(relocations.rawOffset, treeSpace + 4096);
  EXPECT_EQ(relocations.virtualSize, 12u);
  EXPECT_EQ(relocations.rawSize, 4096u);
  EXPECT_EQ(relocations.characteristics, 0x42000040u);
  EXPECT_EQ(image.relocationDirectoryAddress, treeSpace + 4096);
  EXPECT_EQ(image.relocationDirectorySize, 8u);
  EXPECT_EQ(bytes[treeSpace + 4096 + 4], 8) << "the relocation block's size";
  EXPECT_EQ(image.resources, own) << "every resource survives the image byte for byte";
}

TEST(ResourceImageTest, NamedTypesAndNamesSurviveAndDamageIsRefused) {
  std::vector<Resource> resources = {
      {ResourceName::Number(10), ResourceName{0, u"SETTINGS"}, 0x407, {1, 2, 3}, 1252},
      {ResourceName{0, u"CUSTOM"}, ResourceName::Number(7), 0x409, {4}, 0},
      {ResourceName{0, u"CUSTOM"}, ResourceName::Number(7), 0x419, {}, 0}};
  std::vector<uint8_t> bytes = BuildResourceImage(resources);
  platform::SortResources(resources);
  EXPECT_EQ(ReadResourceImage(bytes).value().resources, resources);

  bytes.resize(4096 + 100);
  EXPECT_FALSE(ReadResourceImage(bytes)) << "a tree that runs past the image";
  EXPECT_FALSE(ReadResourceImage(std::vector<uint8_t>(64, 0)));
}

// The resource compiler's reader rejects a tree that runs past its section,
// which the system's loader may not notice.
TEST(ResourceImageTest, TheResourceCompilerDecodesEveryBuiltImage) {
#ifdef _WIN32
  GTEST_SKIP() << "the resource compiler runs on the build machine";
#endif
  const char* tool = "x86_64-w64-mingw32-windres";
  if (std::system((std::string("command -v ") + tool + " >/dev/null").c_str()) != 0) {
    tool = "i686-w64-mingw32-windres";
  }
  const std::string path = testing::TempDir() + "translated.dll";
  for (const uint32_t language : {0u, 8u}) {
    LanguageRecord record{language, {{"DL_101_Setup5", "Einstellungen|00000A00", {}}}, {}, {{111, "Eins"}}};
    const std::vector<uint8_t> image = BuildResourceImage(TranslateResources(OwnResourceModule().Resources(), record));
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                static_cast<std::streamsize>(image.size()));
    const std::string command = std::string(tool) + " -J coff -O rc -i " + path + " > " + path + ".rc 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  std::remove(path.c_str());
}

TEST(DialogTemplateTest, BothFormsEncodeToTheirOwnBytes) {
  const std::vector<Resource> own = OwnResourceModule().Resources();
  int forms[2] = {0, 0};
  for (const Resource& resource : own) {
    if (resource.type != ResourceName::Number(platform::kResourceTypeDialog)) continue;
    const auto dialog = ParseDialogTemplate(resource.data);
    ASSERT_TRUE(dialog) << resource.name.id;
    ++forms[dialog->extended];
    EXPECT_EQ(EncodeDialogTemplate(*dialog), resource.data) << resource.name.id;
  }
  EXPECT_GT(forms[0], 0) << "a classic template";
  EXPECT_GT(forms[1], 0) << "an extended template";
  const std::vector<uint8_t> frame = Find(own, platform::kResourceTypeDialog, 101).data;
  EXPECT_FALSE(ParseDialogTemplate(std::span(frame).first(frame.size() - 3)));
}

TEST(TranslationTest, KeysReplaceEveryListedCharacterAndCountTheWholeText) {
  EXPECT_EQ(TranslationKey("I_", "2", "Cancel"), "I_2_Cancel6");
  EXPECT_EQ(TranslationKey("DL_", "103", ""), "DL_103_0");
  for (const char c : kKeyPunctuation) {
    EXPECT_EQ(TranslationKey("I_", "7", std::string("ab") + c + "cdefgh"), "I_7_ab_cde9") << int(c);
  }
}

TEST(TranslationTest, PositionSuffixNeedsExactlyEightUpperCaseDigits) {
  struct Case {
    const char* text;
    const char* shown;
    bool moves;
  };
  for (const Case& c : {Case{"Abbrechen|02FE0000", "Abbrechen", true}, Case{"Abbrechen|02FE000", "Abbrechen|02FE000", false},
                        Case{"Abbrechen|02fe0000", "Abbrechen|02fe0000", false},
                        Case{"a|b|0A000000", "a|b", true}, Case{"|02FE00000", "|02FE00000", false}}) {
    std::optional<PositionOffset> offset;
    EXPECT_EQ(SplitPositionSuffix(c.text, offset), c.shown);
    EXPECT_EQ(offset.has_value(), c.moves) << c.text;
  }
  std::optional<PositionOffset> offset;
  SplitPositionSuffix("x|02FE80FF", offset);
  EXPECT_EQ(*offset, (PositionOffset{2, -2, -128, -1}));
}

TEST(TranslationTest, DialogsOfBothFormsTakeTheirGroupsTexts) {
  const std::vector<Resource> own = OwnResourceModule().Resources();
  const LanguageRecord record{8,
                              {{"DL_109_Editor6", "Bearbeiten", {{"I_2_Cancel6", 128, {"Weg", "Abbrechen|02FE0000"}}}},
                               {"DL_103_0", "|00000A00", {{"I_1011_Reduce23", 128, {"Rauschen"}}}},
                               {"DL_110_Alread21", "", {{"I_1043_Alread22", 130, {"Schon"}}}}},
                              {},
                              {}};
  const std::vector<Resource> translated = TranslateResources(own, record);
  const DialogTemplate editor = Dialog(translated, 109), english = Dialog(own, 109);
  EXPECT_EQ(Utf8(editor.title), "Bearbeiten");
  const DialogItem &cancel = Item(editor, 2), &before = Item(english, 2);
  EXPECT_EQ(Utf8(cancel.title.text), "Abbrechen") << "the last text wins, without its suffix";
  EXPECT_EQ(cancel.x, before.x + 2);
  EXPECT_EQ(cancel.y, before.y - 2);
  EXPECT_EQ(cancel.width, before.width);
  EXPECT_EQ(Item(editor, 1), Item(english, 1)) << "a control without a translation";

  const DialogTemplate page = Dialog(translated, 103);
  EXPECT_TRUE(page.extended);
  EXPECT_EQ(Utf8(Item(page, 1011).title.text), "Rauschen");
  EXPECT_EQ(page.width, Dialog(own, 103).width + 10) << "a caption's suffix sizes the dialog";
  EXPECT_EQ(Find(translated, platform::kResourceTypeDialog, 110).data,
            Find(own, platform::kResourceTypeDialog, 110).data)
      << "a group key with the wrong length matches nothing";
}

TEST(TranslationTest, TheStringListReplacesTextsInTableOrderWhileItLasts) {
  const std::vector<Resource> own = OwnResourceModule().Resources();
  const auto module = [&](std::vector<LanguageString> strings) {
    LanguageRecord record{1, {}, {}, std::move(strings)};
    return ImageResourceModule::Open(BuildResourceImage(TranslateResources(own, record)));
  };
  const auto shorter = module({{111, "\xCE\xE4\xE8\xED"}, {112, "two"}});
  EXPECT_EQ(shorter->Load(111), "Один") << "converted from code page 1251";
  EXPECT_EQ(shorter->Load(112), "two");
  EXPECT_EQ(shorter->Load(113), OwnResourceModule().Load(113)) << "the rest stays English";

  std::vector<LanguageString> longer;
  for (int i = 0; i < 400; ++i) longer.push_back({static_cast<uint16_t>(i), "t" + std::to_string(i)});
  const auto full = module(longer);
  EXPECT_EQ(full->Load(111), "t0");
  EXPECT_EQ(full->Load(kTextEmptyDatabase), "t" + std::to_string(kTextEmptyDatabase - 111));
}

class LanguageResourcesTest : public ::testing::Test {
 protected:
  void WriteFile(const std::vector<uint8_t>& bytes) { files.SetFile("x.lng", std::string(bytes.begin(), bytes.end())); }
  bool Open() { return languages.Open(files, "x.lng", problem); }

  const LanguageRecord german{8, {{"DL_101_Setup5", "Einstellungen", {}}}, {}, {{111, "Falsch"}}};
  const LanguageRecord french{19, {}, {}, {{111, "Faux"}}};
  platform::MemoryFileSystem files;
  LanguageResources languages{OwnResourceModule(), "."};
  std::string problem;
};

TEST_F(LanguageResourcesTest, SwitchesBetweenLanguagesAndBackToEnglish) {
  WriteFile(EncodeLanguageFile({german, french}));
  ASSERT_TRUE(Open()) << problem;
  const std::string english = languages.Load(111);
  EXPECT_TRUE(languages.Switch(0, problem));
  EXPECT_EQ(&languages.Current(), &OwnResourceModule()) << "language 0 opens no translation";
  EXPECT_TRUE(languages.Switch(8, problem));
  EXPECT_EQ(languages.Load(111), "Falsch");
  const auto frame = languages.Current().DialogTemplate(101);
  ASSERT_TRUE(frame) << "the translated module's dialogs are found by the module's loader";
  EXPECT_EQ(ParseDialogTemplate(*frame)->title, u"Einstellungen");
#ifdef _WIN32
  EXPECT_NE(languages.Current().systemHandle(), nullptr) << "the system loaded the translation";
#endif
  EXPECT_TRUE(languages.Switch(19, problem));
  EXPECT_EQ(languages.Load(111), "Faux");
  EXPECT_FALSE(languages.Switch(5, problem));
  EXPECT_EQ(languages.language(), 0u);
  EXPECT_EQ(languages.Load(111), english);
}

TEST_F(LanguageResourcesTest, DamageLeavesEnglishOrTheRecordsBeforeIt) {
  EXPECT_FALSE(Open()) << "no file";
  files.SetFile("x.lng", "FBPRPBX\r\n");
  EXPECT_FALSE(Open()) << "no magic";

  std::vector<uint8_t> bytes = EncodeLanguageFile({german, french});
  bytes.resize(bytes.size() - 3);
  WriteFile(bytes);
  EXPECT_TRUE(Open());
  EXPECT_NE(problem.find("runs past the end"), std::string::npos) << problem;
  EXPECT_TRUE(languages.Switch(8, problem));
  EXPECT_FALSE(languages.Switch(19, problem));

  std::vector<uint8_t> lying = EncodeLanguageFile({german});
  lying[9 + 8] = 0xFF;  // a group count far beyond the record
  WriteFile(lying);
  ASSERT_TRUE(Open());
  EXPECT_FALSE(languages.Switch(8, problem));
  EXPECT_NE(problem.find("damaged"), std::string::npos) << problem;
}

}  // namespace
}  // namespace trellisk

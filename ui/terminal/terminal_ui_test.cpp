// The terminal front end without a terminal: every dialog template laid out
// on the cell areas the setup frame gives its pages and windows, the text
// of the edit controls as the dialog logic reads it, and the system's
// message boxes of every thread on the way to the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "base/dialog_template.h"
#include "platform/message_box_presenter.h"
#include "base/resource_module.h"
#include "ui/terminal/dialog_form.h"
#include "ui/terminal/screen_boxes.h"
#include "ui/terminal/text_field.h"
#include "ui/terminal/wide_text.h"

namespace trellisk::ui::terminal {
namespace {

DialogTemplate OwnTemplate(int id) {
  const std::optional<std::vector<uint8_t>> bytes = OwnResourceModule().DialogTemplate(id);
  EXPECT_TRUE(bytes) << "template " << id;
  return bytes ? ParseDialogTemplate(*bytes).value_or(DialogTemplate{}) : DialogTemplate{};
}

bool Overlap(const CellBox& a, const CellBox& b) {
  return a.row < b.row + b.height && b.row < a.row + a.height && a.column < b.column + b.width &&
         b.column < a.column + a.width;
}

// The page area of the frame at 80x24 and 120x40, and the frame's and the
// editor's inside at 80x24.
struct Area {
  int templateId;
  CellBox box;
};
const Area kAreas[] = {
    {101, {1, 1, 22, 78}},  {103, {4, 4, 17, 73}}, {103, {6, 20, 22, 82}}, {102, {4, 4, 17, 73}},
    {105, {4, 4, 17, 73}},  {106, {4, 4, 17, 73}}, {113, {4, 4, 17, 73}},  {112, {4, 4, 17, 73}},
    {104, {4, 4, 17, 73}},  {106, {6, 20, 22, 82}}, {109, {1, 1, 22, 78}},
};

TEST(TerminalLayout, EveryControlShowsInsideItsAreaAndNoTwoOverlap) {
  for (const Area& area : kAreas) {
    const DialogTemplate dialog = OwnTemplate(area.templateId);
    DialogForm form(dialog, nullptr);
    form.Layout(area.box);
    std::vector<CellBox> boxes;
    for (const DialogItem& item : dialog.items) {
      const CellBox box = form.BoxOf(DialogItemId(dialog, item));
      EXPECT_GT(box.width, 0) << "template " << area.templateId << " control " << item.id << " is left out";
      EXPECT_GE(box.row, area.box.row);
      EXPECT_LE(box.row + box.height, area.box.row + area.box.height) << "control " << item.id;
      EXPECT_GE(box.column, area.box.column);
      EXPECT_LE(box.column + box.width, area.box.column + area.box.width) << "control " << item.id;
      for (const CellBox& other : boxes) {
        EXPECT_FALSE(Overlap(box, other)) << "template " << area.templateId << " control " << item.id;
      }
      boxes.push_back(box);
    }
  }
}

TEST(TerminalLayout, TextAreasTakeTheRowsTheirNeighboursLeave) {
  const std::vector<LayoutItem> items = {
      {8, 8, 250, 10}, {8, 54, 258, 90, 0, 3, true}, {8, 150, 80, 14, 20}};
  // Room enough: every row where its units put it.
  std::vector<CellBox> boxes = LayoutCells(items, 326, 30, 82);
  EXPECT_EQ(boxes[0].row, 1);
  EXPECT_EQ(boxes[1].row, 7);
  EXPECT_EQ(boxes[1].height, 11);
  EXPECT_EQ(boxes[2].row, 19);
  EXPECT_EQ(boxes[2].width, 20);
  // Short of rows: the rows close up and the text area gives way.
  boxes = LayoutCells(items, 326, 8, 82);
  EXPECT_LT(boxes[0].row, boxes[1].row);
  EXPECT_GE(boxes[1].height, 3);
  EXPECT_LE(boxes[1].row + boxes[1].height, boxes[2].row);
  EXPECT_LE(boxes[2].row + 1, 8);
}

Key Char(wchar_t c) { return Key{KeyCode::kChar, c}; }
const Key kEnter{KeyCode::kEnter};

TEST(TerminalForm, GeneralPageControlsAnswerTheirKeysAsTheLogicExpects) {
  int chosen = 4;
  DialogForm general(OwnTemplate(103), [&](const CellBox&, const std::vector<std::wstring>&, int) { return chosen; });
  general.Layout(CellBox{0, 0, 21, 81});
  EXPECT_EQ(general.FocusOrder().front(), 1006);

  general.SetText(1006, "20");
  general.SetCaret(1006, 2);
  EXPECT_EQ(general.Handle(1006, Char(L'x')), DialogForm::Reply::kHandled);
  general.Handle(1006, Char(L'5'));
  EXPECT_EQ(general.Text(1006), "205");
  EXPECT_EQ(general.Handle(1006, kEnter), DialogForm::Reply::kIgnored) << "Enter is for the default button";

  general.SetChecked(1011, false);
  EXPECT_EQ(general.Handle(1011, Char(L' ')), DialogForm::Reply::kCommand);
  EXPECT_TRUE(general.IsChecked(1011));
  EXPECT_EQ(general.Handle(1011, kEnter), DialogForm::Reply::kIgnored);
  const CellBox box = general.BoxOf(1011);
  EXPECT_EQ(general.ControlAt(box.row, box.column + 5), 1011);
  EXPECT_EQ(general.Click(1011, Key{KeyCode::kMouse, 0, box.row, box.column + 5}), DialogForm::Reply::kCommand);
  EXPECT_FALSE(general.IsChecked(1011));

  general.SetListItems(1042, {"English", "Russian", "Mitky", "Romanian", "Ukrainian"});
  general.Select(1042, 0);
  EXPECT_EQ(general.Handle(1042, kEnter), DialogForm::Reply::kCommand);
  EXPECT_EQ(general.Text(1042), "Ukrainian");
  EXPECT_EQ(general.Handle(1042, Char(L' ')), DialogForm::Reply::kHandled) << "the same entry again is no change";

  general.Enable(1013, false);
  const std::vector<int> order = general.FocusOrder();
  EXPECT_EQ(std::count(order.begin(), order.end(), 1013), 0);
  EXPECT_EQ(general.Handle(1013, Char(L' ')), DialogForm::Reply::kIgnored);
}

TEST(TerminalForm, FrameDefaultButtonTextAreaLinesAndTheEditorsPlace) {
  DialogForm frame(OwnTemplate(101), nullptr);
  frame.Layout(CellBox{1, 1, 22, 78});
  EXPECT_EQ(frame.DefaultButton(), 1);
  EXPECT_EQ(frame.Handle(2, kEnter), DialogForm::Reply::kCommand);

  DialogForm dns(OwnTemplate(106), nullptr);
  dns.Layout(CellBox{0, 0, 17, 73});
  dns.SetText(1022, "a\r\nb\r\nc");
  EXPECT_EQ(dns.Text(1022), "a\rb\rc");
  dns.SetCaret(1022, 1);
  EXPECT_EQ(dns.Handle(1022, kEnter), DialogForm::Reply::kHandled);
  EXPECT_EQ(dns.Text(1022), "a\r\rb\rc");

  DialogForm editor(OwnTemplate(109), nullptr);
  std::optional<WindowRect> placed;
  editor.SetPlacer([&](const WindowRect& rect) { placed = rect; });
  editor.SetWindow(CellBox{1, 2, 20, 70});
  EXPECT_EQ(editor.Rect(), (WindowRect{2, 1, 72, 21}));
  editor.Place(WindowRect{0, 0, 40, 10});
  EXPECT_EQ(placed, (WindowRect{0, 0, 40, 10}));
}

TEST(TerminalTextField, EditsCodePointsAndGivesLinesBackWithCarriageReturns) {
  TextField field(true);
  field.SetText("Grüße\r\nзона\nc");
  EXPECT_EQ(field.Text(), "Grüße\rзона\rc");
  field.SetCaret(std::string("Grüße\r").size() + std::string("зо").size());
  field.Handle(Key{KeyCode::kBackspace}, 5);
  field.Handle(Key{KeyCode::kChar, L'ж'}, 5);
  field.Handle(Key{KeyCode::kEnter}, 5);
  EXPECT_EQ(field.Text(), "Grüße\rзж\rна\rc");
  field.Handle(Key{KeyCode::kHome}, 5);
  field.Handle(Key{KeyCode::kBackspace}, 5);
  field.Handle(Key{KeyCode::kEnd}, 5);
  field.Handle(Key{KeyCode::kDelete}, 5);
  EXPECT_EQ(field.Text(), "Grüße\rзжнаc");
}

TEST(TerminalTextField, NumberFieldsTakeDigitsOnlyAndReadOnlyFieldsNothing) {
  TextField number(false);
  number.SetNumbersOnly(true);
  number.SetText("20");
  number.SetCaret(2);
  for (wchar_t c : std::wstring(L"4x-5")) number.Handle(Key{KeyCode::kChar, c}, 1);
  EXPECT_EQ(number.Text(), "2045");
  EXPECT_FALSE(number.Handle(Key{KeyCode::kEnter}, 1));
  EXPECT_FALSE(number.Handle(Key{KeyCode::kDown}, 1));

  TextField log(true);
  log.SetText("line one\r\nline two");
  log.SetReadOnly(true);
  log.Handle(Key{KeyCode::kChar, L'x'}, 5);
  log.Handle(Key{KeyCode::kBackspace}, 5);
  log.Handle(Key{KeyCode::kEnter}, 5);
  EXPECT_EQ(log.Text(), "line one\rline two");
}

TEST(TerminalTextField, ViewScrollsToTheCaret) {
  TextField field(true);
  field.SetText("a\nb\nc\nd\n0123456789");
  field.SetCaret(field.Text().size());
  const std::vector<std::wstring> view = field.View(2, 4);
  ASSERT_EQ(view.size(), 2u);
  // Every line scrolls sideways with the caret's.
  EXPECT_EQ(view[0], L"");
  EXPECT_EQ(view[1], L"789");
  EXPECT_EQ(field.caretRow(), 1);
  EXPECT_EQ(field.caretCell(), 3);
}

TEST(TerminalText, MnemonicsGoAndWideTextRoundTrips) {
  EXPECT_EQ(WithoutMnemonics(L"&Apply && go"), L"Apply & go");
  EXPECT_EQ(Narrow(Wide("Größe 😀 размер")), "Größe 😀 размер");
  EXPECT_EQ(Wide("😀").size(), 1u);
}

TEST(TerminalBoxes, SystemBoxesOfOtherThreadsWaitForTheUiThreadAndDetachingHandsThemBack) {
  using platform::MessageBoxIcon;
  std::vector<std::string> shown;
  const auto boxes = std::make_shared<ScreenBoxes>([&](std::string_view caption, std::string_view text,
                                                       MessageBoxIcon icon) {
    shown.push_back(platform::FormatMessageBoxLine(caption, text, icon));
  });
  {
    const platform::ScopedMessageBoxPresenter presenter(boxes);
    platform::SystemMessageBoxes().Show("Error", "at once", MessageBoxIcon::Error);
    std::thread([] { platform::SystemMessageBoxes().Show("Warning", "later", MessageBoxIcon::Warning); }).join();
    EXPECT_EQ(shown, std::vector<std::string>{"message box [error] Error: at once"});
    boxes->ShowQueued();
    EXPECT_EQ(shown.back(), "message box [warning] Warning: later");
    std::thread([] { platform::SystemMessageBoxes().Show("Warning", "left", MessageBoxIcon::Warning); }).join();
    EXPECT_EQ(boxes->Detach(), std::vector<std::string>{"message box [warning] Warning: left"});
  }
  platform::SystemMessageBoxes().Show("Error", "after the dialog", MessageBoxIcon::Error);
  boxes->ShowQueued();
  EXPECT_EQ(shown.size(), 2u);
}

}  // namespace
}  // namespace trellisk::ui::terminal

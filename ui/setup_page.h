// SetupPage is the logic of one page of the setup dialog: which template
// and tab caption it has, how it fills its controls from the settings, how
// it answers its buttons and boxes, and how it writes its controls back
// into the settings when the user presses OK. Front ends create the page
// window from the template and call in; the pages themselves are made by
// MakeSetupPages (setup_pages.h).
//
// Thread-safety: used only on the thread that runs the setup dialog.
#pragma once

#include "base/text_id.h"
#include "plugin/settings.h"
#include "ui/dialog_view.h"

namespace trellisk::ui {

class SetupPage {
 public:
  virtual ~SetupPage() = default;

  virtual int TemplateId() const = 0;
  virtual TextId CaptionId() const = 0;
  // The page was created: fill its controls from the current settings.
  virtual void Initialize(DialogView& view) = 0;
  // A button was pressed, a box toggled or a list entry chosen.
  virtual void Command(DialogView& view, int controlId) = 0;
  // The page's private refresh message (the first user message).
  virtual void Refresh(DialogView& /*view*/) {}
  // OK: the page's controls into `settings`.
  virtual void Collect(const DialogView& view, Settings& settings) const = 0;
};

// The private refresh message of a page: the system's first user message.
inline constexpr unsigned kRefreshMessage = 0x401;

}  // namespace trellisk::ui

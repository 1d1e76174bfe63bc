// The small modal windows of the terminal front end, each with a loop of
// its own over the windows beneath: a message box (dismissed with Enter,
// Space, Esc or a click), a one-line text prompt, and the list a drop-down
// control opens.
//
// Thread-safety: UI thread only, like the Screen they paint on.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_box.h"
#include "ui/terminal/terminal_screen.h"

namespace trellisk::ui::terminal {

void ShowMessageBox(Screen& screen, std::string_view caption, std::string_view text, platform::MessageBoxIcon icon);

// The line the user typed (Enter), or nothing (Esc). `label` stands above
// the field, which starts with `initial`.
std::optional<std::string> AskLine(Screen& screen, std::string_view caption, std::string_view label,
                                   std::string_view initial);

// A list opened below (or above) `anchor`, starting at `selection`: the
// entry chosen with Enter or a click, or nothing (Esc, a click elsewhere).
std::optional<int> ChooseFromList(Screen& screen, const CellBox& anchor, const std::vector<std::wstring>& entries,
                                  int selection);

}  // namespace trellisk::ui::terminal

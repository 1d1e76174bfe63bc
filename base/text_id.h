// TextId names every numbered text of the plug-in (see texts.def for the
// table). A TextId is the string id a text is loaded by.
#pragma once

namespace trellisk {

enum TextId : int {
  kNoText = 0,
#define TRELLISK_TEXT(id, name, text) kText##name = id,
#include "base/texts.def"
#undef TRELLISK_TEXT
};

}  // namespace trellisk

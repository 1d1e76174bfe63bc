// The REGEDIT4 text form of one registry hive, as the hive files on POSIX
// hold it:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\Software\Trellisk]
//   @="the key's default value"
//   "Name"="text"                 REG_SZ; \\ and \" escape; the stored data
//                                 end with a zero byte the text omits
//   "Count"=dword:0000000a        REG_DWORD of four bytes
//   "Path"=hex(2):41,00           REG_EXPAND_SZ as bytes
//   "Blob"=hex:01,02,\            REG_BINARY; long lists continue on the
//     03,04                       next line after a backslash
//   "Other"=hex(b):00,01          any other type, its number in hex
//
// Reading accepts LF and CR LF line ends, blank lines, ";" comments and
// continuation lines, and counts everything else as damage, including a
// hex list on the last line without its line end (a file cut off between
// two bytes would otherwise read as a shorter value), a key nested deeper
// than kMaxRegeditKeyDepth and a value larger than kMaxRegeditValueBytes.
// A damaged line is skipped and the rest is read: a damaged section line
// skips the values that follow it up to the next section. Writing is
// canonical: LF line ends, keys in RegistryTree order (every key but a
// value-less root gets a section), values in their stored order, a text
// value in quotes only when quoting carries it byte for byte (else hex(1)),
// four-byte REG_DWORD data as dword, and hex lists wrapped before column 80.
// So a written hive read back and written again gives the same text.
//
// Pure functions: no OS, no shared state; thread-safe.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "platform/registry_tree.h"

namespace trellisk::platform {

inline constexpr std::string_view kRegeditSignature = "REGEDIT4";
inline constexpr std::string_view kLocalMachineHiveName = "HKEY_LOCAL_MACHINE";
inline constexpr std::string_view kCurrentUserHiveName = "HKEY_CURRENT_USER";
// Hex lists are wrapped so that no line of them is longer than this.
inline constexpr size_t kRegeditLineWidth = 80;
inline constexpr size_t kMaxRegeditKeyDepth = 64;
inline constexpr size_t kMaxRegeditValueBytes = 1024 * 1024;

std::string_view RegistryHiveName(RegistryHive hive);

struct RegeditParseResult {
  // Every key and value that parsed.
  RegistryTree tree;
  // Empty when the whole text parsed; else why its first damaged line did
  // not, naming the line ("line 7: malformed hex byte").
  std::string error;
  // How many lines were skipped as damaged.
  size_t skippedLines = 0;

  bool ok() const { return error.empty(); }
};

// Reads the text of `hive`'s file; a section naming another hive is damage.
RegeditParseResult ParseRegedit(std::string_view text, RegistryHive hive);

std::string SerializeRegedit(const RegistryTree& tree, RegistryHive hive);

}  // namespace trellisk::platform

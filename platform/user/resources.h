// The program's compiled-in resources: strings, menus, accelerator tables, icons, cursors
// and bitmaps, found by number as the classic resource calls find them.
#pragma once

#include <map>
#include <span>
#include <string>
#include <vector>

#include "platform/core/types.h"
#include "platform/core/windef.h"
#include "platform/user/backend.h"

namespace user {

// Accelerator flags, as in the classic accelerator table.
constexpr BYTE FVIRTKEY = 0x01;
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;

struct Accelerator {
  BYTE flags = FVIRTKEY;
  WORD key = 0;      // virtual key (with FVIRTKEY) or character
  WORD command = 0;
};

// A picture in XPM form: the strings of the compiled-in array.
using XpmLines = std::span<const char* const>;

struct ResourceTable {
  std::map<UINT, std::string> strings;                     // UTF-8
  std::map<UINT, std::vector<platform::MenuEntry>> menus;  // top-level entries
  std::map<UINT, std::vector<Accelerator>> accelerators;
  std::map<UINT, std::vector<XpmLines>> icons;             // one picture per size
  std::map<UINT, XpmLines> cursors;
  std::map<UINT, XpmLines> bitmaps;
};

// Makes the program's resources available to the Load* calls. The table must outlive the
// platform session.
void RegisterResources(const ResourceTable* table);
const ResourceTable* Resources();

// The instance handle the program's resources are loaded through.
HINSTANCE ProgramInstance();

}  // namespace user

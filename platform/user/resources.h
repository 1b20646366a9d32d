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

// A control of a dialog template. Rectangles are in dialog units.
struct DialogItem {
  UINT id = 0;
  std::string windowClass;  // "Button", "Static", "ComboBox", WC_TABCONTROL, TRACKBAR_CLASS
  std::string text;         // UTF-8; for an icon or picture "#" and its resource number
  DWORD style = 0;          // WS_CHILD and WS_VISIBLE are implied
  short x = 0, y = 0, cx = 0, cy = 0;
  std::vector<std::string> initData;  // a combo box's items, added when the dialog is made
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::string caption;     // UTF-8
  std::string fontFace;    // DS_SETFONT: the face name as the template gives it
  int pointSize = 0;
  std::vector<DialogItem> items;  // in tab order
};

struct ResourceTable {
  std::map<UINT, std::string> strings;                     // UTF-8
  std::map<UINT, std::vector<platform::MenuEntry>> menus;  // top-level entries
  std::map<UINT, std::vector<Accelerator>> accelerators;
  std::map<UINT, std::vector<XpmLines>> icons;             // one picture per size
  std::map<UINT, XpmLines> cursors;
  std::map<UINT, XpmLines> bitmaps;
  std::map<UINT, DialogTemplate> dialogs;
};

// Makes the program's resources available to the Load* calls. The table must outlive the
// platform session.
void RegisterResources(const ResourceTable* table);
const ResourceTable* Resources();

// The instance handle the program's resources are loaded through.
HINSTANCE ProgramInstance();

}  // namespace user

// The star table: named stars with their places on the sky map and the three texts of their
// balloons, read from "SPup.sbd" beside the program.
#pragma once

#include <list>
#include <string_view>

#include "platform/framework/afxwin.h"

class CStarDataObject : public CCmdTarget {
  DECLARE_DYNCREATE(CStarDataObject)

 public:
  CRect m_rcFirst;   // sky-map pixels, every edge inside
  CRect m_rcSecond;  // the star's other image where the strip repeats, or the first again
  CString m_strTitle;
  CString m_strSubtitle;
  CString m_strDescription;
};

// In file order; the view owns the entries.
using CStarTable = std::list<CStarDataObject*>;

namespace sky {

// The file's number fields: four bytes read as the C library's atoi reads them with a zero
// after them (white space, an optional sign, digits up to the first other byte; 0 without
// digits).
int FieldNumber(const char bytes[4]);

// Appends the entries of the star table file to `table`. Each entry is two rectangles of four
// 4-byte numbers (each number followed by one separator byte, each rectangle by two line-end
// bytes), then title, subtitle and description, each ended by ";" and two line-end bytes, in
// code page 932. Reading stops at the first entry the file cuts short, which is dropped; a
// missing or unreadable file, or anything but a plain file, adds nothing. Only the first
// kMaxTableBytes of a file are read.
void LoadStarTable(const char* path, CStarTable& table);
// The same from bytes already in memory.
void ReadStarTable(std::string_view bytes, CStarTable& table);

constexpr int kMaxTableBytes = 1 << 20;

}  // namespace sky

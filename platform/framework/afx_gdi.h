// Framework wrappers of GDI objects and device contexts.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "platform/framework/afx_core.h"
#include "platform/gdi/gdi.h"

class CWnd;

// A drawing object handle and its owner. The wrapper deletes the object it holds when it is
// destroyed, unless the handle was detached.
class CGdiObject : public CObject {
 public:
  static const CRuntimeClass classInfo;
  const CRuntimeClass* GetRuntimeClass() const override { return &classInfo; }

  CGdiObject() = default;
  ~CGdiObject() override { DeleteObject(); }

  HGDIOBJ m_hObject = nullptr;

  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  BOOL Attach(HGDIOBJ h);
  HGDIOBJ Detach() { return std::exchange(m_hObject, nullptr); }
  BOOL DeleteObject();
};

class CPen : public CGdiObject {
 public:
  CPen() = default;
  CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
  BOOL CreatePen(int style, int width, COLORREF color) {
    return Attach(AsGdiObject(::CreatePen(style, width, color)));
  }
  operator HPEN() const { return reinterpret_cast<HPEN>(m_hObject); }
};

class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  BOOL CreateSolidBrush(COLORREF color) { return Attach(AsGdiObject(::CreateSolidBrush(color))); }
  operator HBRUSH() const { return reinterpret_cast<HBRUSH>(m_hObject); }
};

class CFont : public CGdiObject {
 public:
  BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                  BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                  BYTE quality, BYTE pitchAndFamily, const char* face) {
    return Attach(AsGdiObject(::CreateFont(height, width, escapement, orientation, weight, italic, underline,
                                           strikeOut, charSet, outPrecision, clipPrecision, quality,
                                           pitchAndFamily, face)));
  }
  operator HFONT() const { return reinterpret_cast<HFONT>(m_hObject); }
};

class CPalette : public CGdiObject {
 public:
  BOOL CreatePalette(const LOGPALETTE* p) { return Attach(AsGdiObject(::CreatePalette(p))); }
  operator HPALETTE() const { return reinterpret_cast<HPALETTE>(m_hObject); }
};

class CBitmap : public CGdiObject {
 public:
  BOOL CreateCompatibleBitmap(class CDC* dc, int width, int height);
  BOOL CreateBitmap(int width, int height, UINT planes, UINT bits, const void* data) {
    return Attach(AsGdiObject(::CreateBitmap(width, height, planes, bits, data)));
  }
  operator HBITMAP() const { return reinterpret_cast<HBITMAP>(m_hObject); }
};

class CRgn : public CGdiObject {
 public:
  BOOL CreateRectRgn(int l, int t, int r, int b) { return Attach(AsGdiObject(::CreateRectRgn(l, t, r, b))); }
  BOOL CreateRectRgnIndirect(LPCRECT r) { return Attach(AsGdiObject(::CreateRectRgnIndirect(r))); }
  BOOL CreateEllipticRgn(int l, int t, int r, int b) {
    return Attach(AsGdiObject(::CreateEllipticRgn(l, t, r, b)));
  }
  BOOL CreateEllipticRgnIndirect(LPCRECT r) { return Attach(AsGdiObject(::CreateEllipticRgnIndirect(r))); }
  int CombineRgn(CRgn* a, CRgn* b, int mode) {
    return ::CombineRgn(*this, a ? static_cast<HRGN>(*a) : nullptr, b ? static_cast<HRGN>(*b) : nullptr, mode);
  }
  BOOL PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y); }
  int GetRgnBox(LPRECT r) const { return ::GetRgnBox(*this, r); }
  operator HRGN() const { return reinterpret_cast<HRGN>(m_hObject); }
};

// A device context. Wrappers made by the program own their DC; the paint and client DC
// classes hand theirs back to the window.
class CDC : public CObject {
 public:
  CDC() = default;
  ~CDC() override;

  HDC m_hDC = nullptr;
  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }

  BOOL Attach(HDC hdc);
  HDC Detach();
  BOOL CreateCompatibleDC(CDC* dc);
  BOOL DeleteDC();

  // Selecting returns the object that was selected before, wrapped for the caller; the
  // wrapper lives as long as this DC object and never deletes the handle.
  CPen* SelectObject(CPen* pen);
  CBrush* SelectObject(CBrush* brush);
  CBitmap* SelectObject(CBitmap* bitmap);
  CFont* SelectObject(CFont* font);
  CPalette* SelectPalette(CPalette* palette, BOOL forceBackground);
  UINT RealizePalette() { return ::RealizePalette(m_hDC); }
  HGDIOBJ SelectObject(HGDIOBJ obj) { return ::SelectObject(m_hDC, obj); }
  int SelectObject(CRgn* rgn);

  int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
  void FillRect(LPCRECT r, CBrush* brush) { ::FillRect(m_hDC, r, brush ? static_cast<HBRUSH>(*brush) : nullptr); }
  // Fills with a colour, which also becomes the DC's background colour.
  void FillSolidRect(LPCRECT r, COLORREF color);
  BOOL FillRgn(CRgn* rgn, CBrush* brush) { return ::FillRgn(m_hDC, *rgn, *brush); }
  COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
  COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
  COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
  COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
  COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
  COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
  int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
  int GetBkMode() const { return ::GetBkMode(m_hDC); }

  CPoint MoveTo(int x, int y) {
    POINT previous{};
    ::MoveToEx(m_hDC, x, y, &previous);
    return CPoint(previous.x, previous.y);
  }
  BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
  BOOL Arc(int l, int t, int r, int b, int xStart, int yStart, int xEnd, int yEnd) {
    return ::Arc(m_hDC, l, t, r, b, xStart, yStart, xEnd, yEnd);
  }
  BOOL Arc(LPCRECT box, POINT start, POINT end) {
    return ::Arc(m_hDC, box->left, box->top, box->right, box->bottom, start.x, start.y, end.x, end.y);
  }
  BOOL TextOut(int x, int y, const CString& text) {
    return ::TextOut(m_hDC, x, y, text.c_str(), static_cast<int>(text.size()));
  }
  int DrawText(const CString& text, LPRECT r, UINT format) {
    return ::DrawText(m_hDC, text.c_str(), static_cast<int>(text.size()), r, format);
  }
  CSize GetTextExtent(const CString& text) const {
    SIZE s{};
    ::GetTextExtentPoint32(m_hDC, text.c_str(), static_cast<int>(text.size()), &s);
    return CSize(s.cx, s.cy);
  }
  BOOL BitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, sx, sy, rop);
  }

 protected:
  template <typename Wrapper>
  Wrapper* Temporary(HGDIOBJ h);

 private:
  std::vector<std::unique_ptr<CGdiObject>> m_temporaries;
  bool m_owned = false;  // made by CreateCompatibleDC: deleted with the wrapper
};

class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps;

 private:
  HWND m_hWnd;
};

class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* wnd);
  ~CClientDC() override;

 private:
  HWND m_hWnd;
};

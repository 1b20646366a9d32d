// Framework wrappers of drawing objects and device contexts.
#include "platform/framework/afx_gdi.h"
#include "platform/framework/afxwin.h"
#include "platform/gdi/objects.h"

const CRuntimeClass CGdiObject::classInfo = {"CGdiObject", sizeof(CGdiObject), nullptr, &CObject::classInfo};

BOOL CGdiObject::Attach(HGDIOBJ h) {
  if (!h) return FALSE;
  DeleteObject();
  m_hObject = h;
  return TRUE;
}

BOOL CGdiObject::DeleteObject() {
  if (!m_hObject) return FALSE;
  const BOOL ok = ::DeleteObject(std::exchange(m_hObject, nullptr));
  return ok;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
  return Attach(AsGdiObject(::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, width, height)));
}

CDC::~CDC() {
  // Selected-back wrappers never own their handles.
  for (auto& t : m_temporaries) t->Detach();
  if (m_owned && m_hDC) ::DeleteDC(m_hDC);
}

BOOL CDC::Attach(HDC hdc) {
  if (!hdc) return FALSE;
  m_hDC = hdc;
  m_owned = false;
  return TRUE;
}

HDC CDC::Detach() {
  m_owned = false;
  return std::exchange(m_hDC, nullptr);
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
  HDC made = ::CreateCompatibleDC(dc ? dc->m_hDC : nullptr);
  if (!made) return FALSE;
  m_hDC = made;
  m_owned = true;
  return TRUE;
}

BOOL CDC::DeleteDC() {
  if (!m_hDC) return FALSE;
  const BOOL ok = ::DeleteDC(std::exchange(m_hDC, nullptr));
  m_owned = false;
  return ok;
}

template <typename Wrapper>
Wrapper* CDC::Temporary(HGDIOBJ h) {
  if (!h) return nullptr;
  // Painters swap the same few objects in and out many times a paint: one wrapper per
  // handle is enough.
  for (auto& t : m_temporaries) {
    if (t->m_hObject != h) continue;
    if (auto* same = dynamic_cast<Wrapper*>(t.get())) return same;
  }
  auto w = std::make_unique<Wrapper>();
  w->m_hObject = h;
  Wrapper* raw = w.get();
  m_temporaries.push_back(std::move(w));
  return raw;
}

CPen* CDC::SelectObject(CPen* pen) {
  return Temporary<CPen>(::SelectObject(m_hDC, pen ? pen->m_hObject : nullptr));
}

CBrush* CDC::SelectObject(CBrush* brush) {
  return Temporary<CBrush>(::SelectObject(m_hDC, brush ? brush->m_hObject : nullptr));
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
  return Temporary<CBitmap>(::SelectObject(m_hDC, bitmap ? bitmap->m_hObject : nullptr));
}

CFont* CDC::SelectObject(CFont* font) {
  return Temporary<CFont>(::SelectObject(m_hDC, font ? font->m_hObject : nullptr));
}

CPalette* CDC::SelectPalette(CPalette* palette, BOOL forceBackground) {
  HPALETTE previous = ::SelectPalette(m_hDC, palette ? static_cast<HPALETTE>(*palette) : nullptr, forceBackground);
  return Temporary<CPalette>(AsGdiObject(previous));
}

int CDC::SelectObject(CRgn* rgn) {
  return static_cast<int>(reinterpret_cast<std::uintptr_t>(::SelectObject(m_hDC, rgn ? rgn->m_hObject : nullptr)));
}

void CDC::FillSolidRect(LPCRECT r, COLORREF color) {
  ::SetBkColor(m_hDC, color);
  HBRUSH brush = ::CreateSolidBrush(color);
  ::FillRect(m_hDC, r, brush);
  ::DeleteObject(brush);
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) { Attach(::BeginPaint(m_hWnd, &m_ps)); }

CPaintDC::~CPaintDC() {
  Detach();
  ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) { Attach(::GetDC(m_hWnd)); }

CClientDC::~CClientDC() { ::ReleaseDC(m_hWnd, Detach()); }

#include "dialogs/bevel_button.h"

#include <initializer_list>

namespace {

struct Segment {
  int x0, y0, x1, y1;
};

void Stroke(CDC& dc, CPen& pen, std::initializer_list<Segment> segments) {
  dc.SelectObject(&pen);
  for (const Segment& s : segments) {
    dc.MoveTo(s.x0, s.y0);
    dc.LineTo(s.x1, s.y1);
  }
}

}  // namespace

BEGIN_MESSAGE_MAP(CBevelButton, CButton)
END_MESSAGE_MAP()

CBevelButton::CBevelButton() = default;

CBevelButton::~CBevelButton() = default;

void CBevelButton::SetColors(int twoTone, COLORREF face, COLORREF text, COLORREF shadow, COLORREF highlight,
                             COLORREF disabledText) {
  m_bTwoTone = twoTone;
  m_crFace = face;
  m_crText = text;
  m_crShadow = shadow;
  m_crHighlight = highlight;
  m_crDisabledText = disabledText;
  if (m_hWnd) Invalidate(TRUE);
}

void CBevelButton::DrawItem(LPDRAWITEMSTRUCT item) {
  if (!item) return;
  // The context is the platform's; it is only borrowed for the call.
  CDC dc;
  dc.Attach(item->hDC);
  CBrush faceBrush;
  faceBrush.CreateSolidBrush(m_crFace);
  CPen facePen(PS_SOLID, 1, m_crFace);
  CPen highlight(PS_INSIDEFRAME, 2, m_crHighlight);
  CPen shadow(PS_INSIDEFRAME, 2, m_crShadow);
  CPen white(PS_SOLID, 1, RGB(255, 255, 255));
  CPen black(PS_SOLID, 1, RGB(0, 0, 0));

  const int L = item->rcItem.left;
  const int T = item->rcItem.top;
  const int R = item->rcItem.right;
  const int B = item->rcItem.bottom;
  CBrush* oldBrush = dc.SelectObject(&faceBrush);
  CPen* oldPen = dc.SelectObject(&facePen);
  ::Rectangle(dc, L, T, R, B);

  const bool pressed = (item->itemState & ODS_SELECTED) != 0;
  if (!pressed && !m_bTwoTone) {
    Stroke(dc, highlight, {{L + 1, B - 2, L + 1, T + 1}, {L + 1, T + 1, R - 1, T + 1}});
    Stroke(dc, white, {{L, B - 1, L, T}, {L, T, R, T}});
    Stroke(dc, shadow, {{L + 1, B - 1, R - 1, B - 1}, {R - 1, B - 1, R - 1, T}});
    Stroke(dc, black, {{L, B - 1, R - 1, B - 1}, {R - 1, B - 1, R - 1, T - 1}});
  } else if (!pressed) {
    Stroke(dc, highlight, {{L + 1, B - 2, L + 1, T + 1}, {L + 1, T + 1, R - 1, T + 1}, {L, B - 1, L, T}, {L, T, R, T}});
    Stroke(dc, shadow, {{L, B - 1, R - 1, B - 1}, {R - 1, B - 1, R - 1, T - 1}});
  } else if (!m_bTwoTone) {
    Stroke(dc, highlight, {{L + 1, B - 2, R - 2, B - 2}, {R - 2, B - 2, R - 2, T}});
    Stroke(dc, white, {{L, B - 1, R - 1, B - 1}, {R - 1, B - 1, R - 1, T - 1}});
    Stroke(dc, shadow, {{L + 1, B - 1, L + 1, T}, {L + 1, T + 1, R - 1, T + 1}});
    Stroke(dc, black, {{L + 1, B, L + 1, T - 1}, {L + 1, T, R - 1, T}});
  } else {
    Stroke(dc, highlight, {{L, B - 1, R - 1, B - 1}, {R - 1, B - 1, R - 1, T - 1}});
    Stroke(dc, shadow, {{L + 1, B - 1, L + 1, T}, {L + 1, T + 1, R - 1, T + 1}, {L + 1, B, L + 1, T - 1}, {L + 1, T, R - 1, T}});
  }

  const CString caption = GetWindowText();
  if (!caption.empty()) {
    const CString padded = " " + caption + " ";
    const COLORREF oldColor = dc.GetTextColor();
    const int oldMode = dc.GetBkMode();
    dc.SetTextColor((item->itemState & ODS_DISABLED) ? m_crDisabledText : m_crText);
    dc.SetBkMode(TRANSPARENT);
    const CSize size = dc.GetTextExtent(padded);
    // A pressed caption sits one pixel lower and further right.
    const int l = pressed ? L + 4 : L;
    const int t = pressed ? T + 4 : T;
    const int r = pressed ? R - 2 : R;
    const int b = pressed ? B - 2 : B;
    dc.TextOut(l + (r - size.cx - l) / 2, t + (b - size.cy - t) / 2, padded);
    dc.SetTextColor(oldColor);
    dc.SetBkMode(oldMode);
  }

  dc.SelectObject(oldBrush);
  dc.SelectObject(oldPen);
  dc.Detach();
}

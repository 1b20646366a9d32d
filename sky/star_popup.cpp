#include "sky/star_popup.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CStarPopupWnd, CWnd)
  ON_WM_PAINT()
  ON_WM_TIMER()
END_MESSAGE_MAP()

namespace {

constexpr COLORREF kBackground = RGB(255, 255, 192);
constexpr COLORREF kTitleBlue = RGB(0, 0, 255);
constexpr COLORREF kLightBorder = RGB(200, 200, 200);
constexpr COLORREF kDarkBorder = RGB(92, 92, 92);

void Line(CDC& dc, int x0, int y0, int x1, int y1) {
  dc.MoveTo(x0, y0);
  dc.LineTo(x1, y1);
}

}  // namespace

CStarPopupWnd::CStarPopupWnd() {
  m_brushBackground.CreateSolidBrush(kBackground);
  m_fontTitle.CreateFont(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, SHIFTJIS_CHARSET, OUT_STROKE_PRECIS, CLIP_DEFAULT_PRECIS,
                         PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "ＭＳ ゴシック");
  m_fontText.CreateFont(-14, 0, 0, 0, FW_DONTCARE, 0, 0, 0, SHIFTJIS_CHARSET, OUT_STROKE_PRECIS, CLIP_DEFAULT_PRECIS,
                        PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "ＭＳ ゴシック");
  m_penTitle.CreatePen(PS_SOLID, 0, kTitleBlue);
  m_penLight.CreatePen(PS_SOLID, 0, kLightBorder);
  m_penDark.CreatePen(PS_SOLID, 0, kDarkBorder);
}

CStarPopupWnd::~CStarPopupWnd() {
  m_brushBackground.DeleteObject();
  m_fontTitle.DeleteObject();
  m_fontText.DeleteObject();
  m_penTitle.DeleteObject();
  m_penLight.DeleteObject();
  m_penDark.DeleteObject();
}

BOOL CStarPopupWnd::Create(CWnd* owner) {
  const char* cls = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW);
  // Never activated, so that the balloon takes neither the focus nor the activation from
  // the window it belongs to.
  return CreateEx(WS_EX_WINDOWEDGE | WS_EX_NOACTIVATE, cls, "", WS_POPUP, 0, 0, 80, 66,
                  owner ? owner->m_hWnd : nullptr, nullptr);
}

void CStarPopupWnd::SetTexts(const CStarDataObject& star) {
  m_strTitle = star.m_strTitle;
  m_strSubtitle = star.m_strSubtitle;
  m_strDescription = star.m_strDescription;
}

void CStarPopupWnd::OnPaint() {
  CPaintDC dc(this);
  CRect window;
  GetWindowRect(&window);
  const int w = window.Width();
  const int h = window.Height();

  m_rgnClip.CreateRectRgn(0, 0, w, h);
  dc.SelectObject(&m_rgnClip);
  dc.FillRgn(&m_rgnClip, &m_brushBackground);
  m_rgnClip.DeleteObject();
  dc.SetBkMode(TRANSPARENT);

  CFont* previousFont = dc.SelectObject(&m_fontTitle);
  CPen* previousPen = dc.SelectObject(&m_penTitle);
  dc.SetTextColor(kTitleBlue);
  dc.TextOut(2, 2, m_strTitle);
  const CSize title = dc.GetTextExtent(m_strTitle);

  dc.SetTextColor(RGB(0, 0, 0));
  dc.SelectObject(&m_fontText);
  dc.TextOut(2, title.cy + 4, m_strSubtitle);
  const CSize subtitle = dc.GetTextExtent(m_strSubtitle);

  // The balloon is as wide as its widest line, and tall enough for the description wrapped
  // at that width, with a line to spare.
  const CSize description = dc.GetTextExtent(m_strDescription);
  int widest = std::max<int>({title.cx, subtitle.cx, 0});
  if (widest == 0) widest = std::min<int>(description.cx, kWidthWithoutTitles);
  const int lines = widest > 0 ? description.cx / widest + 2 : 2;
  const int height = lines * description.cy + (title.cy + 2) + (subtitle.cy + 2) + 6;
  SetWindowPos(nullptr, 0, 0, widest + 5, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  CRect text(4, title.cy + subtitle.cy + 8, widest, height);
  dc.DrawText(m_strDescription, &text, DT_WORDBREAK);

  // Two rings: light outside at the top and left, dark at the bottom and right, and the
  // other way round inside.
  dc.SelectObject(&m_penLight);
  Line(dc, 0, 0, w, 0);
  Line(dc, 0, 0, 0, h);
  Line(dc, w - 2, h - 2, 1, h - 2);
  Line(dc, w - 2, h - 2, w - 2, 1);
  dc.SelectObject(&m_penDark);
  Line(dc, 1, 1, w - 2, 1);
  Line(dc, 1, 1, 1, h - 2);
  Line(dc, w - 1, h - 1, 0, h - 1);
  Line(dc, w - 1, h - 1, w - 1, 0);

  dc.SelectObject(previousPen);
  dc.SelectObject(previousFont);
  m_nTimerId = 100;
  SetTimer(static_cast<UINT_PTR>(m_nTimerId), kCheckPeriodMs, nullptr);
}

bool CStarPopupWnd::PointerOverOwner() const {
  CWnd* owner = GetParent();
  if (!owner) return false;
  // A window whose dialog is up takes no pointer: the balloon is not its any more.
  if (!owner->IsWindowEnabled()) return false;
  POINT at;
  ::GetCursorPos(&at);
  CRect window;
  owner->GetWindowRect(&window);
  if (!::PtInRect(&window, at)) return false;
  // A round window is only its ellipse.
  CRgn outline;
  outline.CreateRectRgn(0, 0, 0, 0);
  const bool shaped = ::GetWindowRgn(owner->m_hWnd, outline) != ERROR;
  const bool inside = !shaped || outline.PtInRegion(at.x - window.left, at.y - window.top);
  outline.DeleteObject();
  return inside;
}

void CStarPopupWnd::OnTimer(UINT_PTR id) {
  if (m_nTimerId != 0 && id == static_cast<UINT_PTR>(m_nTimerId)) {
    if (!IsWindowVisible() || !PointerOverOwner()) {
      ShowWindow(SW_HIDE);
      KillTimer(static_cast<UINT_PTR>(m_nTimerId));
      m_nTimerId = 0;
    }
  }
  CWnd::OnTimer(id);
}

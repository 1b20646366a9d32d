#include "dialogs/version_dlg.h"

#include <algorithm>
#include <utility>

#include "image/dib.h"

namespace {

constexpr COLORREF kRingGreys[CVersionDlg::kRingPenCount] = {RGB(255, 255, 255), RGB(247, 247, 247), RGB(235, 235, 235),
                                                             RGB(223, 223, 223), RGB(211, 211, 211), RGB(200, 200, 200),
                                                             RGB(192, 192, 192)};

// The ring's sixteen arcs on the ellipse in client rectangle (22, 3, 172, 153): from the
// start radial to the end one, counter-clockwise, brightest at the upper left.
struct RingArc {
  POINT start, end;
  int pen;
};
constexpr RingArc kRing[16] = {
    {{66, 15}, {40, 46}, 0},    {{86, 1}, {66, 15}, 1},     {{106, 15}, {86, 1}, 2},    {{129, 46}, {106, 15}, 3},
    {{151, 57}, {129, 38}, 3},  {{172, 76}, {151, 57}, 4},  {{151, 95}, {172, 76}, 5},  {{129, 115}, {151, 95}, 6},
    {{107, 134}, {129, 115}, 6}, {{86, 153}, {107, 134}, 5}, {{65, 134}, {86, 153}, 4}, {{43, 115}, {65, 134}, 3},
    {{21, 95}, {43, 115}, 3},   {{1, 76}, {21, 95}, 2},     {{21, 57}, {1, 76}, 1},     {{43, 38}, {21, 57}, 0}};

struct TextLine {
  POINT round, square;
};
constexpr TextLine kProductLine{{44, 48}, {66, 16}};
constexpr TextLine kCopyrightLine{{40, 67}, {70, 36}};
constexpr TextLine kAuthorLine{{70, 84}, {102, 55}};
constexpr TextLine kRightsLine{{50, 97}, {79, 68}};

constexpr const char* kCopyright = "(C) Orvantworks";
constexpr const char* kAuthor = "夜空工房";
constexpr const char* kRightsReserved = "禁無断転載";

void MakeFont(CFont& font, const char* face) {
  font.CreateFont(-12, 0, 0, 0, FW_DONTCARE, 0, 0, 0, SHIFTJIS_CHARSET, OUT_STROKE_PRECIS, CLIP_DEFAULT_PRECIS,
                  PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

}  // namespace

BEGIN_MESSAGE_MAP(CVersionDlg, CDialog)
  ON_WM_PAINT()
  ON_WM_DESTROY()
  ON_WM_SETCURSOR()
  ON_WM_TIMER()
  ON_WM_QUERYNEWPALETTE()
  ON_WM_PALETTECHANGED()
  ON_WM_ACTIVATE()
  ON_COMMAND(CVersionDlg::IDC_OK_BUTTON, OnOkButton)
  ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

CVersionDlg::CVersionDlg(CString programDir) : CDialog(IDD, nullptr), m_strProgramDir(std::move(programDir)) {
  m_pFontGothic = new CFont;
  m_pFontMincho = new CFont;
  m_pOkButton = new CBevelButton;
  for (CPen*& pen : m_pRingPens) pen = new CPen;
}

CVersionDlg::~CVersionDlg() {
  // Whatever the destroy handler has not released (a box that never opened).
  delete m_pFontGothic;
  delete m_pFontMincho;
  delete m_pOkButton;
  for (CPen* pen : m_pRingPens) delete pen;
  delete m_pBackground;
}

void CVersionDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_ROUND_BITMAP, m_staticRoundBitmap);
  DDX_Control(dx, IDC_SQUARE_ICON, m_staticSquareIcon);
}

BOOL CVersionDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  for (int i = 0; i < kCursorCount; ++i) {
    m_hCursors[i] = ::LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(static_cast<int>(kFirstCursor) + i));
  }
  m_nCursorFrame = 1;
  m_nTimerId = 99;
  SetTimer(static_cast<UINT_PTR>(m_nTimerId), 100, nullptr);
  MakeFont(*m_pFontGothic, "ＭＳ Ｐゴシック");
  MakeFont(*m_pFontMincho, "ＭＳ Ｐ明朝");

  m_pOkButton->Create("Button", "OK", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(88, 87, 123, 107), this,
                      IDC_OK_BUTTON);
  m_pOkButton->SetColors(1, RGB(0, 0, 128), RGB(255, 255, 255), RGB(0, 0, 64), RGB(64, 64, 255), RGB(128, 128, 128));
  m_pOkButton->SetFont(m_pFontGothic, TRUE);

  HDC screen = ::GetDC(::GetDesktopWindow());
  m_nBitsPixel = ::GetDeviceCaps(screen, BITSPIXEL);
  ::ReleaseDC(::GetDesktopWindow(), screen);

  if (m_nBitsPixel < 15) {
    m_pBackground = new CDib;
    m_pBackground->Read((m_strProgramDir + (m_bRound == 1 ? "CVerBG.SBM" : "VerBG.SBM")).c_str(), this);
  }
  if (m_bRound == 1) {
    SetWindowPos(nullptr, 0, 0, 200, 200, SWP_NOMOVE | SWP_NOZORDER);
    // On the window rectangle: the caption and borders fall outside the disc.
    m_rgnWindow.CreateEllipticRgn(25, 25, 175, 175);
    SetWindowRgn(static_cast<HRGN>(m_rgnWindow), TRUE);
    m_rgnWindow.Detach();  // the window's from here on
    m_staticSquareIcon.ShowWindow(SW_HIDE);
    m_pOkButton->SetWindowPos(nullptr, 79, 118, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  } else {
    m_staticRoundBitmap.ShowWindow(SW_HIDE);
  }
  for (int i = 0; i < kRingPenCount; ++i) m_pRingPens[i]->CreatePen(PS_INSIDEFRAME, 2, kRingGreys[i]);
  return TRUE;
}

void CVersionDlg::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  const int W = client.Width();
  const int H = client.Height();

  if (m_nBitsPixel >= 15) {
    // From black at the top towards blue at the bottom, green at half the blue, in bands of
    // n rows.
    const int n = std::max(1, H / 65);
    int k = 0;
    for (int y = 0; y < H; y += n, ++k) {
      CPen band(PS_SOLID, 1, RGB(0, k & 0xFF, (2 * k) & 0xFF));
      CPen* old = dc.SelectObject(&band);
      for (int i = 0; i < n; ++i) {
        dc.MoveTo(0, y + i);
        dc.LineTo(W, y + i);
      }
      dc.SelectObject(old);
    }
  } else if (m_pBackground) {
    m_pBackground->Realize(&dc, FALSE);
    if (m_bRound == 1) {
      m_pBackground->Draw(&dc, 26, 7, 0, 0, 141, 141, SRCCOPY);
    } else {
      m_pBackground->Draw(&dc, 0, 0, 0, 0, 236, 113, SRCCOPY);
    }
  }

  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(RGB(255, 255, 255));
  CFont* oldFont = dc.SelectObject(m_pFontGothic);
  const bool round = m_bRound == 1;
  if (round) {
    CPen* oldPen = dc.SelectObject(m_pRingPens[0]);
    const CRect ring(22, 3, 172, 153);
    for (const RingArc& arc : kRing) {
      dc.SelectObject(m_pRingPens[arc.pen]);
      dc.Arc(&ring, arc.start, arc.end);
    }
    dc.SelectObject(m_pRingPens[3]);
    dc.Arc(24, 5, 170, 151, 0, 0, 0, 0);
    dc.SelectObject(oldPen);
  }
  auto at = [round](const TextLine& line) { return round ? line.round : line.square; };
  dc.TextOut(at(kProductLine).x, at(kProductLine).y, round ? "Lumivane Ver 1.31" : "Lumivane Version 1.31");
  dc.SelectObject(m_pFontMincho);
  dc.TextOut(at(kCopyrightLine).x, at(kCopyrightLine).y, kCopyright);
  dc.TextOut(at(kAuthorLine).x, at(kAuthorLine).y, kAuthor);
  dc.TextOut(at(kRightsLine).x, at(kRightsLine).y, kRightsReserved);
  dc.SelectObject(oldFont);
}

void CVersionDlg::OnDestroy() {
  CDialog::OnDestroy();
  delete std::exchange(m_pFontGothic, nullptr);
  delete std::exchange(m_pFontMincho, nullptr);
  delete std::exchange(m_pOkButton, nullptr);
  for (CPen*& pen : m_pRingPens) delete std::exchange(pen, nullptr);
  for (HCURSOR& cursor : m_hCursors) {
    if (cursor) ::DestroyCursor(std::exchange(cursor, nullptr));
  }
  KillTimer(static_cast<UINT_PTR>(m_nTimerId));
  if (m_nBitsPixel < 15 && m_pBackground) {
    m_pBackground->Free();
    delete std::exchange(m_pBackground, nullptr);
  }
}

void CVersionDlg::SetFrameCursor() {
  if (m_nCursorFrame >= 1 && m_nCursorFrame <= kCursorCount) ::SetCursor(m_hCursors[m_nCursorFrame - 1]);
}

BOOL CVersionDlg::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
  if (hitTest != HTCLIENT) return CDialog::OnSetCursor(wnd, hitTest, message);
  SetFrameCursor();
  return TRUE;
}

void CVersionDlg::OnTimer(UINT_PTR id) {
  if (id == static_cast<UINT_PTR>(m_nTimerId)) {
    m_nCursorFrame = m_nCursorFrame >= kCursorCount ? 1 : m_nCursorFrame + 1;
    SetFrameCursor();
  }
  CDialog::OnTimer(id);
}

void CVersionDlg::RealizeBackground() {
  if (m_nBitsPixel >= 15 || !m_pBackground) return;
  CClientDC dc(this);
  if (m_pBackground->Realize(&dc, TRUE) != 0) {
    m_pBackground->Realize(&dc, TRUE);
    Invalidate(FALSE);
  }
}

BOOL CVersionDlg::OnQueryNewPalette() {
  RealizeBackground();
  return CDialog::OnQueryNewPalette();
}

void CVersionDlg::OnPaletteChanged(CWnd* focusWnd) {
  CDialog::OnPaletteChanged(focusWnd);
  RealizeBackground();
}

void CVersionDlg::OnActivate(UINT state, CWnd* other, BOOL minimized) {
  CDialog::OnActivate(state, other, minimized);
  RealizeBackground();
}

void CVersionDlg::OnOkButton() { EndDialog(IDOK); }

void CVersionDlg::OnLButtonDown(UINT flags, CPoint point) {
  // Moving by the caption: the captionless round box follows the pointer all the same.
  SendMessage(WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
  CDialog::OnLButtonDown(flags, point);
}

// The view's creation, which makes every drawing resource it keeps for its life, and its
// paint: background and sky composed off screen (once for each look, then replayed), then
// what lies over them.
#include <utility>
#include <variant>

#include "app/my_app.h"
#include "document/my_doc.h"
#include "document/settings.h"
#include "image/dib.h"
#include "platform/gdi/recorded_drawing.h"
#include "res/resource.h"
#include "sky/sky_files.h"
#include "view/my_view.h"

namespace {

// The frame pens: the log palette, then the aluminium palette, lightest first.
constexpr COLORREF kFramePenColours[14] = {
    RGB(174, 0, 0),     RGB(160, 0, 0),     RGB(144, 0, 0),     RGB(128, 0, 0),     RGB(112, 0, 0),
    RGB(96, 0, 0),      RGB(80, 0, 0),      RGB(255, 255, 255), RGB(247, 247, 247), RGB(235, 235, 235),
    RGB(223, 223, 223), RGB(211, 211, 211), RGB(200, 200, 200), RGB(192, 192, 192)};

// The clock plate's pens, in the order they are made.
constexpr COLORREF kPlatePenColours[6] = {RGB(192, 64, 128),  RGB(255, 255, 255), RGB(128, 0, 64),
                                          RGB(192, 192, 192), RGB(0, 0, 0),       RGB(164, 164, 164)};

constexpr UINT kSatelliteControlId = 1997;

}  // namespace

int CMyView::OnCreate(LPCREATESTRUCT cs) {
  if (CView::OnCreate(cs) == -1) return -1;

  CWnd* desktop = CWnd::FromHandle(::GetDesktopWindow());
  CDC* desktopDc = desktop->GetDC();
  if (m_pStarScratch && desktopDc) {
    m_pStarScratch->CreateBitmap(47, 47, 1, static_cast<UINT>(desktopDc->GetDeviceCaps(BITSPIXEL)), nullptr);
  }
  CaptureDesktop();
  if (desktopDc) desktop->ReleaseDC(desktopDc);

  // Each map is the user's own when there is one, else the one shipped in the program folder.
  const CString folder = GetMyApp()->m_strProgramDir;
  if (m_pSkyMapHi) m_pSkyMapHi->Read(sky::SkyFilePath(folder, "SkyMapHi.SBM").c_str(), this);
  if (m_pSkyMapSh) m_pSkyMapSh->Read(sky::SkyFilePath(folder, "SkyMapSh.SBM").c_str(), this);
  // The maps are only ever drawn from their screen bitmaps: their decoded pixels, nearly a
  // megabyte each, would lie unused for the whole run.
  if (m_pSkyMapHi) m_pSkyMapHi->ReleasePixels();
  if (m_pSkyMapSh) m_pSkyMapSh->ReleasePixels();

  m_nSkyTimer = 1;
  SetTimer(static_cast<UINT_PTR>(m_nSkyTimer), 1000, nullptr);

  for (int i = 0; i < 14; ++i) {
    if (m_pFramePens[i]) m_pFramePens[i]->CreatePen(PS_INSIDEFRAME, 2, kFramePenColours[i]);
  }
  m_fontClock.CreateFont(-10, 0, 0, 0, FW_DONTCARE, 0, 0, 0, SHIFTJIS_CHARSET, OUT_STROKE_PRECIS, CLIP_DEFAULT_PRECIS,
                         PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "ＭＳ Ｐゴシック");
  for (int i = 0; i < 6; ++i) m_penPlate[i].CreatePen(PS_SOLID, 1, kPlatePenColours[i]);

  for (int k = 0; k < 6; ++k) {
    m_pStarImage[k] = new CBitmap;
    m_pStarImage[k]->Attach(AsGdiObject(::LoadBitmap(AfxGetResourceHandle(), MAKEINTRESOURCE(IDB_STREAK_PICTURES[k]))));
    m_pStarMask[k] = new CBitmap;
    m_pStarMask[k]->Attach(AsGdiObject(::LoadBitmap(AfxGetResourceHandle(), MAKEINTRESOURCE(IDB_STREAK_MASKS[k]))));
  }

  // The view fills the borderless frame exactly: no sunken edge of its own.
  ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_NOZORDER);

  m_wndStarPopup.Create(this);
  LoadStarTable();

  const char* satelliteClass = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW);
  m_satellite.CreateEx(0, satelliteClass, "", WS_CHILD, 0, 0, 1, 1, m_hWnd,
                       reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(kSatelliteControlId)));

  // Until the first frame paint every glass region is the same small square.
  m_rgnGlass.CreateRectRgn(0, 0, 12, 12);
  for (CRgn& r : m_rgnQuadrant) r.CreateRectRgn(0, 0, 12, 12);
  for (CRgn& r : m_rgnPane) r.CreateRectRgn(0, 0, 12, 12);
  return 0;
}

void CMyView::OnDraw(CDC* dc) {
  // Repeated at every paint: no sunken edge on the main window, and its title.
  if (CWnd* main = AfxGetMainWnd()) main->ModifyStyleEx(WS_EX_CLIENTEDGE, 0);
  if (CFrameWnd* frame = GetParentFrame()) frame->SetWindowText("Lumivane");

  if (m_bSkipSky) {
    // A clock refresh: the sky on screen stays as it is.
    m_bSkipSky = 0;
  } else {
    ComposeSky(dc);
  }

  CMyDoc* doc = GetDocument();
  if (doc->EdgeFlg != 0) {
    if (doc->EdgeKind == settings::kEdgeKindLog) {
      PaintLogFrame(dc, doc->EdgeClossFlg);
    } else {
      PaintAlumiFrame(dc, doc->EdgeClossFlg);
    }
    if (doc->ClockFlg == settings::kOn) PaintClock(dc);
  }

  m_satellite.SetRegions(&m_rgnPane[0], &m_rgnPane[1], &m_rgnPane[2], &m_rgnPane[3]);
  DrawSatellite(dc);
}

namespace {

// Background and stars on a w x h image that already holds black: the desktop copy with the
// mask cut into it and the stars added, or the star map itself.
void ComposeOnto(CMyView& view, CDC* image, int w, int h) {
  const CPoint origin = view.m_ptSkyOrigin;
  switch (view.GetDocument()->BkMode) {
    case settings::kBackgroundDesktop: {
      CWnd* desktop = CWnd::FromHandle(::GetDesktopWindow());
      CDC* desktopDc = desktop->GetDC();
      CDC copy;
      copy.CreateCompatibleDC(desktopDc);
      CBitmap* previousCopy = copy.SelectObject(view.m_pDesktopBitmap);
      desktop->ReleaseDC(desktopDc);
      image->BitBlt(0, 0, w, h, &copy, 0, 0, SRCCOPY);
      copy.SelectObject(previousCopy);
      copy.DeleteDC();
      view.m_pSkyMapSh->Realize(image, FALSE);
      view.m_pSkyMapSh->Draw(image, 0, 0, origin.x, origin.y, w, h, SRCAND);
      view.m_pSkyMapHi->Realize(image, FALSE);
      view.m_pSkyMapHi->Draw(image, 0, 0, origin.x, origin.y, w, h, SRCPAINT);
      break;
    }
    case settings::kBackgroundDarkness:
      // Darkness: the star map itself, black between the stars.
      view.m_pSkyMapHi->Realize(image, FALSE);
      view.m_pSkyMapHi->Draw(image, 0, 0, origin.x, origin.y, w, h, SRCCOPY);
      break;
    default:
      break;
  }
}

// Everything a composed sky without a shooting star depends on. The desktop copy and the
// maps are never drawn on once made: a new capture, or a map read again, is a new bitmap
// under a new handle.
struct SkyLook {
  int background;
  int w;
  int h;
  POINT origin;
  HGDIOBJ desktop;
  HBITMAP stars;
  HBITMAP mask;
  bool operator==(const SkyLook&) const = default;
};

// Two: the window goes back and forth between two sizes or backgrounds at most as often as
// it is painted.
gdi::RecordingCache<SkyLook, std::monostate, 2>& RecordedSkies() {
  static gdi::RecordingCache<SkyLook, std::monostate, 2> skies;
  return skies;
}

}  // namespace

void CMyView::ComposeSky(CDC* dc) {
  CRect client;
  MainWindow()->GetClientRect(&client);
  const int w = client.Width();
  const int h = client.Height();
  m_ptSkyOrigin = ComputeSkyOrigin();

  // The same sky as the paint before comes from its recording, in one transfer. Not with a
  // shooting star, which is in one paint only, nor on a display of 256 colours, where the
  // maps' palettes are realised as the sky is composed.
  if (m_bStarPending != 1 && dc->GetDeviceCaps(BITSPIXEL) != 8) {
    const SkyLook look{GetDocument()->BkMode, w, h, m_ptSkyOrigin, m_pDesktopBitmap->m_hObject,
                       m_pSkyMapHi->m_hBitmap, m_pSkyMapSh->m_hBitmap};
    const auto& sky = RecordedSkies().Find(look, [&] {
      auto drawing = gdi::RecordedDrawing::Record(dc->m_hDC, RECT{0, 0, w, h}, [&](HDC hdc) {
        // The recording's canvas starts as a new bitmap does: black.
        CDC image;
        image.Attach(hdc);
        const CRect all(0, 0, w, h);
        image.FillSolidRect(&all, RGB(0, 0, 0));
        ComposeOnto(*this, &image, w, h);
        image.Detach();
      });
      return gdi::RecordingCache<SkyLook, std::monostate, 2>::Entry{look, std::move(drawing), {}};
    });
    if (sky.drawing) {
      sky.drawing->Replay(dc->m_hDC);
      return;
    }
  }

  CDC image;
  image.CreateCompatibleDC(dc);
  CBitmap bitmap;
  bitmap.CreateCompatibleBitmap(dc, w, h);
  CBitmap* previous = image.SelectObject(&bitmap);
  ComposeOnto(*this, &image, w, h);
  if (m_bStarPending == 1) {
    DrawShootingStar(&image);
    // The glass is asked to repaint at once, so the star is in this paint only.
    ScheduleShootingStar(FALSE);
    m_bStarPending = 0;
  }
  dc->BitBlt(0, 0, w, h, &image, 0, 0, SRCCOPY);
  image.SelectObject(previous);
  bitmap.DeleteObject();
  image.DeleteDC();
}

#include "view/my_view.h"

#include "app/my_app.h"
#include "document/my_doc.h"
#include "document/settings.h"
#include "image/dib.h"
#include "res/resource.h"

IMPLEMENT_DYNCREATE(CMyView, CView)

BEGIN_MESSAGE_MAP(CMyView, CView)
  ON_WM_CREATE()
  ON_WM_LBUTTONDOWN()
  ON_WM_MOUSEMOVE()
  ON_WM_SETCURSOR()
  ON_WM_LBUTTONDBLCLK()
  ON_WM_NCHITTEST()
  ON_WM_CONTEXTMENU()
  ON_COMMAND(ID_EXIT, OnAppExit)
  ON_COMMAND(ID_ABOUT, OnAbout)
  ON_COMMAND(ID_HELP_TOPICS, OnHelpTopics)
  ON_COMMAND(ID_NEBULORIUM_HELP, OnNebuloriumHelp)
  ON_COMMAND(ID_NEBULORIUM_WEB, OnNebuloriumWeb)
  ON_COMMAND(ID_MAKER_HOME, OnMakerHome)
  ON_COMMAND(ID_SHOW_MAIN_WINDOW, OnShowMainWindow)
  ON_COMMAND(ID_CAPTURE_DESKTOP, OnCaptureDesktop)
  ON_COMMAND(ID_CAPTURE_BACKGROUND, OnCaptureBackground)
  ON_COMMAND(ID_SETTINGS, OnSettings)
  ON_WM_TIMER()
  ON_WM_DESTROY()
  ON_WM_SIZE()
END_MESSAGE_MAP()

CMyView::CMyView() {
  m_pSkyMapHi = new CDib;
  m_pSkyMapSh = new CDib;
  for (CPen*& pen : m_pFramePens) pen = new CPen;
  m_pStarScratch = new CBitmap;
  m_pDesktopBitmap = new CBitmap;
}

CMyView::~CMyView() {
  delete m_pSkyMapHi;
  delete m_pSkyMapSh;
  for (CPen* pen : m_pFramePens) delete pen;
  delete m_pStarScratch;
  delete m_pDesktopBitmap;
}

CMyDoc* CMyView::GetDocument() const { return static_cast<CMyDoc*>(CView::GetDocument()); }

BOOL CMyView::PreCreateWindow(CREATESTRUCT& cs) { return CView::PreCreateWindow(cs); }

CWnd* CMyView::MainWindow() const {
  if (CWnd* main = AfxGetMainWnd()) return main;
  return GetParentFrame();
}

void CMyView::ClearRegionRecord() {
  m_bRgnHeld = 0;
  m_rgnWindow.Detach();
}

void CMyView::GiveRegionToMainWindow(CWnd* main) {
  m_bRgnHeld = 1;
  main->SetWindowRgn(static_cast<HRGN>(m_rgnWindow), TRUE);
}

void CMyView::OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) {
  if (m_bFirstActivation == 1) {
    CMyDoc* doc = GetDocument();
    CWnd* main = AfxGetMainWnd();
    if (doc && doc->CircleEdgeFlg == settings::kOn && main) {
      ClearRegionRecord();
      CRect window;
      main->GetWindowRect(&window);
      const CRect box(0, 0, window.Width(), window.Height());
      if (!m_rgnWindow.CreateEllipticRgnIndirect(&box)) {
        AfxMessageBox("ERR! CreateEllipticRgnIndirect is False", MB_OK);
      }
      GiveRegionToMainWindow(main);
      main->ShowWindow(SW_SHOWNA);
    }
    m_bFirstActivation = 0;
  }
  CView::OnActivateView(activate, activateView, deactiveView);
}

void CMyView::OnSize(UINT type, int cx, int cy) {
  CView::OnSize(type, cx, cy);
  CMyDoc* doc = GetDocument();
  CWnd* main = AfxGetMainWnd();
  if (doc && doc->CircleEdgeFlg == settings::kOn && m_bClosing == 0 && main) {
    ClearRegionRecord();
    const CRect box(0, 0, cx, cy);
    m_rgnWindow.CreateEllipticRgnIndirect(&box);
    GiveRegionToMainWindow(main);
    main->ShowWindow(SW_SHOWNA);
  }
}

void CMyView::OnLButtonDown(UINT flags, CPoint point) {
  // The move command with the caption hit code: the window follows the pointer until the
  // button is released.
  GetParent()->SendMessage(WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
  CView::OnLButtonDown(flags, point);
}

void CMyView::OnAppExit() {
  CWnd* main = AfxGetMainWnd();
  if (!main) return;
  // The window turns square for its last paint.
  ClearRegionRecord();
  CRect client;
  GetClientRect(&client);
  m_rgnWindow.CreateRectRgn(0, 0, client.Width(), client.Height());
  GiveRegionToMainWindow(main);
  main->ShowWindow(SW_SHOWNA);
  Invalidate(TRUE);
  m_bClosing = 1;
  main->PostMessage(WM_CLOSE);
}

void CMyView::OnDestroy() {
  CView::OnDestroy();
  if (m_pStarScratch) m_pStarScratch->DeleteObject();
  if (m_pDesktopBitmap) m_pDesktopBitmap->DeleteObject();
  if (m_pSkyMapHi) m_pSkyMapHi->Free();
  if (m_pSkyMapSh) m_pSkyMapSh->Free();
  KillTimer(static_cast<UINT_PTR>(m_nSkyTimer));
  for (CPen* pen : m_pFramePens) {
    if (pen) pen->DeleteObject();
  }
  m_fontClock.DeleteObject();
  for (CPen& pen : m_penPlate) pen.DeleteObject();
  for (int i = 0; i < 6; ++i) {
    delete m_pStarImage[i];
    delete m_pStarMask[i];
    m_pStarImage[i] = nullptr;
    m_pStarMask[i] = nullptr;
  }
  for (CStarDataObject* star : m_starTable) delete star;
  m_starTable.clear();
  m_wndStarPopup.DestroyWindow();
  m_satellite.DestroyWindow();
  ClearRegionRecord();
  m_rgnGlass.DeleteObject();
  for (CRgn& r : m_rgnQuadrant) r.DeleteObject();
  for (CRgn& r : m_rgnPane) r.DeleteObject();
}

// The copy of the desktop behind the window, the background of the sky when the desktop
// background is chosen.
#include "view/my_view.h"

void CMyView::CaptureDesktop() {
  CRect window;
  MainWindow()->GetWindowRect(&window);
  const int w = window.Width();
  const int h = window.Height();
  CWnd* desktop = CWnd::FromHandle(::GetDesktopWindow());
  CDC* screen = desktop->GetDC();
  if (!screen) return;
  if (m_pDesktopBitmap) {
    m_pDesktopBitmap->DeleteObject();
    m_pDesktopBitmap->CreateBitmap(w, h, 1, static_cast<UINT>(screen->GetDeviceCaps(BITSPIXEL)), nullptr);
    CDC copy;
    copy.CreateCompatibleDC(screen);
    CBitmap* previous = copy.SelectObject(m_pDesktopBitmap);
    copy.BitBlt(0, 0, w, h, screen, window.left, window.top, SRCCOPY);
    copy.SelectObject(previous);
    copy.DeleteDC();
  }
  desktop->ReleaseDC(screen);
}

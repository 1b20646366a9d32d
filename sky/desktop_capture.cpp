#include "sky/desktop_capture.h"

namespace sky {

void CaptureScreenArea(const CRect& area, CBitmap* into) {
  const int w = area.Width();
  const int h = area.Height();
  CWnd* desktop = CWnd::FromHandle(::GetDesktopWindow());
  CDC* screen = desktop->GetDC();
  if (!screen) return;
  if (into) {
    into->DeleteObject();
    into->CreateBitmap(w, h, 1, static_cast<UINT>(screen->GetDeviceCaps(BITSPIXEL)), nullptr);
    CDC copy;
    copy.CreateCompatibleDC(screen);
    CBitmap* previous = copy.SelectObject(into);
    copy.BitBlt(0, 0, w, h, screen, area.left, area.top, SRCCOPY);
    copy.SelectObject(previous);
    copy.DeleteDC();
  }
  desktop->ReleaseDC(screen);
}

}  // namespace sky

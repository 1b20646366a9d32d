#include "image/dib.h"

IMPLEMENT_DYNCREATE(CDib, CCmdTarget)

CDib::~CDib() = default;

UINT CDib::Realize(CDC* dc, BOOL forceBackground) {
  if (!dc || dc->GetDeviceCaps(BITSPIXEL) != 8 || !m_hPalette) return 0;
  ::SelectPalette(dc->m_hDC, m_hPalette, forceBackground);
  return ::RealizePalette(dc->m_hDC);
}

int CDib::Free() {
  m_bits.clear();
  m_bits.shrink_to_fit();
  if (m_hBitmap) ::DeleteObject(m_hBitmap);
  if (m_hPalette) ::DeleteObject(m_hPalette);
  return 1;
}

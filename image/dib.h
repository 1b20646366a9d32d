// CDib: one SBM picture with its palette and its screen bitmap.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/framework/afxwin.h"

class CDib : public CCmdTarget {
  DECLARE_DYNCREATE(CDib)

 public:
  CDib() = default;
  ~CDib() override;

  // Selects the picture's palette into the DC and realises it; only a display with 8 bits
  // per pixel has a palette to realise. Returns the number of entries that changed.
  UINT Realize(CDC* dc, BOOL forceBackground);
  // Ends the life of the contents: pixels, screen bitmap and palette.
  int Free();

  BYTE m_fileHeader[14] = {};
  std::uint32_t m_nImageSize = 0;
  std::vector<BYTE> m_bits;  // the decoded pixel rows, bottom-up
  HPALETTE m_hPalette = nullptr;
  HBITMAP m_hBitmap = nullptr;
  int m_nWidth = 0;
  int m_nHeight = 0;
  int m_nBitCount = 0;
};

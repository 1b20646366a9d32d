// CDib: one SBM picture with its palette and its screen bitmap.
#pragma once

#include <cstdint>
#include <vector>

#include "image/sbm_format.h"
#include "platform/framework/afxwin.h"

namespace image::sbm {
class ByteSource;
}

class CDib : public CCmdTarget {
  DECLARE_DYNCREATE(CDib)

 public:
  // Bitmap info with room for a full colour table, and a logical palette with room for all
  // its entries: the platform takes both through pointers to their one-entry forms.
  struct BitmapInfo256 {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[image::sbm::kMaxColours];
  };
  struct LogPalette256 {
    WORD palVersion = 0x300;
    WORD palNumEntries = 0;
    PALETTEENTRY palPalEntry[image::sbm::kMaxColours];
  };

  CDib() = default;
  ~CDib() override;

  // Loads the SBM file and makes the screen bitmap for the window's display (the screen's
  // when there is no window). 1: loaded; 0: file not opened, not an SBM header, size out of
  // range or no memory; -1: the palette could not be made. What was reached is kept.
  int Read(const char* path, CWnd* window);
  // The same from any byte source.
  int Read(image::sbm::ByteSource& in, CWnd* window);
  // Converts the pixels, once, into a bitmap for the window's display. 1 made, 0 not.
  int CreateScreenBitmap(CWnd* window);
  // Copies w x h pixels from (sx, sy), counted from the picture's top-left, to (x, y) of the
  // DC with the raster operation; 0 for w or h is the picture's own width or height. Without
  // a screen bitmap the DC is left untouched. Returns 1.
  int Draw(CDC* dc, int x, int y, int sx, int sy, int w, int h, DWORD rop);
  // Selects the picture's palette into the DC and realises it; only a display with 8 bits
  // per pixel has a palette to realise. Returns the number of entries that changed.
  UINT Realize(CDC* dc, BOOL forceBackground);
  // Ends the life of the contents: pixels, screen bitmap and palette. Returns 1.
  int Free();
  // Gives back the decoded pixels once the screen bitmap is made, keeping the bitmap, the
  // palette and the header: for a picture that is only ever drawn (the sky maps hold nearly
  // a megabyte each this way). Without a screen bitmap the pixels are kept. 1 if given back.
  int ReleasePixels();

  BYTE m_fileHeader[image::sbm::kFileHeaderSize] = {};
  BitmapInfo256 m_bmi{};
  BITMAPINFO* m_pbmi = nullptr;
  BITMAPINFOHEADER* m_pbmih = nullptr;
  std::uint32_t m_nImageSize = 0;
  // The pixel block (S x 1.2 bytes, decoded rows bottom-up from its start) and its address,
  // null while there is none.
  std::vector<BYTE> m_pixelBlock;
  BYTE* m_pBits = nullptr;
  LogPalette256 m_logPalette{};
  LOGPALETTE* m_pLogPalette = nullptr;
  HPALETTE m_hPalette = nullptr;
  HBITMAP m_hBitmap = nullptr;
  int m_nWidth = 0;
  int m_nHeight = 0;
  int m_nBitCount = 0;
};

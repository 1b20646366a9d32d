#include "image/dib.h"

#include <cstring>

#include "image/sbm_reader.h"
#include "platform/user/user.h"

IMPLEMENT_DYNCREATE(CDib, CCmdTarget)

namespace sbm = image::sbm;

CDib::~CDib() = default;

int CDib::Read(const char* path, CWnd* window) {
  sbm::FileSource file(path);
  if (!file.IsOpen()) return 0;
  return Read(file, window);
}

int CDib::Read(sbm::ByteSource& in, CWnd* window) {
  sbm::Picture picture;
  const sbm::ReadOutcome outcome = sbm::ReadPicture(in, picture);

  std::memcpy(m_fileHeader, picture.fileHeader, sizeof m_fileHeader);
  m_bmi.bmiHeader = picture.info;
  std::memcpy(m_bmi.bmiColors, picture.colours.data(), sizeof m_bmi.bmiColors);
  m_pbmi = reinterpret_cast<BITMAPINFO*>(&m_bmi);
  m_pbmih = &m_bmi.bmiHeader;
  if (outcome == sbm::ReadOutcome::kHeaderShort) return 0;

  m_nWidth = picture.info.biWidth;
  m_nHeight = picture.info.biHeight;
  m_nBitCount = picture.info.biBitCount;
  if (outcome != sbm::ReadOutcome::kLoaded) return 0;

  m_nImageSize = picture.imageSize;
  m_pixelBlock = std::move(picture.pixels);
  m_pBits = m_pixelBlock.data();

  const int entries = sbm::ColourTableEntries(m_nBitCount);
  if (entries > 0) {
    m_logPalette.palVersion = 0x300;
    m_logPalette.palNumEntries = static_cast<WORD>(entries);
    for (int k = 0; k < entries; ++k) {
      const RGBQUAD& c = m_bmi.bmiColors[k];
      m_logPalette.palPalEntry[k] = PALETTEENTRY{c.rgbRed, c.rgbGreen, c.rgbBlue, 0};
    }
    m_pLogPalette = reinterpret_cast<LOGPALETTE*>(&m_logPalette);
    m_hPalette = ::CreatePalette(m_pLogPalette);
    if (!m_hPalette) return -1;
  }
  CreateScreenBitmap(window);
  return 1;
}

int CDib::CreateScreenBitmap(CWnd* window) {
  const HWND hwnd = window ? window->m_hWnd : nullptr;
  const HDC dc = ::GetDC(hwnd);
  if (!dc) return 0;
  const bool paletteDisplay = ::GetDeviceCaps(dc, BITSPIXEL) == 8;
  HPALETTE previous = nullptr;
  if (paletteDisplay) {
    previous = ::SelectPalette(dc, m_hPalette, FALSE);
    if (!previous) {
      ::ReleaseDC(hwnd, dc);
      return 0;
    }
    ::RealizePalette(dc);
  }

  // The pixels are held decoded whatever the file's compression, so the platform is told it
  // gets plain rows. It reads stride x height bytes: make sure the block has them.
  BitmapInfo256 plain = m_bmi;
  plain.bmiHeader.biCompression = BI_RGB;
  const std::optional<std::uint32_t> needed =
      sbm::ImageSize(plain.bmiHeader.biWidth, plain.bmiHeader.biHeight, plain.bmiHeader.biBitCount);
  if (m_pBits && needed && m_pixelBlock.size() >= *needed) {
    m_hBitmap = ::CreateDIBitmap(dc, &plain.bmiHeader, CBM_INIT, m_pBits, reinterpret_cast<BITMAPINFO*>(&plain),
                                 DIB_RGB_COLORS);
  }

  if (paletteDisplay && !::SelectPalette(dc, previous, FALSE)) {
    ::ReleaseDC(hwnd, dc);
    return 0;
  }
  ::ReleaseDC(hwnd, dc);
  return 1;
}

int CDib::Draw(CDC* dc, int x, int y, int sx, int sy, int w, int h, DWORD rop) {
  // Owners draw whether or not the picture loaded; with nothing loaded the target stays as it is.
  if (!dc || !m_hBitmap) return 1;
  if (w == 0) w = m_nWidth;
  if (h == 0) h = m_nHeight;
  const HDC memory = ::CreateCompatibleDC(nullptr);
  if (!memory) return 1;
  const HGDIOBJ previous = ::SelectObject(memory, AsGdiObject(m_hBitmap));
  if (previous) {
    ::BitBlt(dc->m_hDC, x, y, w, h, memory, sx, sy, rop);
    ::SelectObject(memory, previous);
  }
  ::DeleteDC(memory);
  return 1;
}

UINT CDib::Realize(CDC* dc, BOOL forceBackground) {
  if (!dc || dc->GetDeviceCaps(BITSPIXEL) != 8 || !m_hPalette) return 0;
  ::SelectPalette(dc->m_hDC, m_hPalette, forceBackground);
  return ::RealizePalette(dc->m_hDC);
}

int CDib::ReleasePixels() {
  if (!m_hBitmap) return 0;
  std::vector<BYTE>().swap(m_pixelBlock);
  m_pBits = nullptr;
  return 1;
}

int CDib::Free() {
  // The block's memory goes back; the handles are deleted but keep their values.
  std::vector<BYTE>().swap(m_pixelBlock);
  m_pBits = nullptr;
  if (m_hBitmap) ::DeleteObject(m_hBitmap);
  if (m_hPalette) ::DeleteObject(m_hPalette);
  return 1;
}

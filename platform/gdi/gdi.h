// The GDI calls the program makes, with their classic names and meanings, drawn by our own
// rasterizer into 32-bit surfaces.
#pragma once

#include <string>

#include "platform/core/windef.h"

namespace gdi {
class Region;
}

// ---- Regions ----
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;

constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const RECT* rect);
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
BOOL PtInRegion(HRGN rgn, int x, int y);
int GetRgnBox(HRGN rgn, RECT* box);
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL EqualRgn(HRGN a, HRGN b);

// ---- Objects ----
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_PALETTE = 15;

constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;

HGDIOBJ GetStockObject(int which);
// A handle is never given out twice: once its object is deleted, the value names nothing.
BOOL DeleteObject(HGDIOBJ obj);
HBRUSH CreateSolidBrush(COLORREF color);
HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH GetSysColorBrush(int index);
COLORREF GetSysColor(int index);

// Typed handles convert to the generic object handle as the classic headers allow.
template <typename H>
inline HGDIOBJ AsGdiObject(H h) {
  return reinterpret_cast<HGDIOBJ>(h);
}
inline BOOL DeleteObject(HRGN h) { return DeleteObject(AsGdiObject(h)); }
inline BOOL DeleteObject(HPEN h) { return DeleteObject(AsGdiObject(h)); }
inline BOOL DeleteObject(HBRUSH h) { return DeleteObject(AsGdiObject(h)); }
inline BOOL DeleteObject(HBITMAP h) { return DeleteObject(AsGdiObject(h)); }
inline BOOL DeleteObject(HFONT h) { return DeleteObject(AsGdiObject(h)); }
inline BOOL DeleteObject(HPALETTE h) { return DeleteObject(AsGdiObject(h)); }

// ---- Palettes ----
struct PALETTEENTRY {
  BYTE peRed = 0;
  BYTE peGreen = 0;
  BYTE peBlue = 0;
  BYTE peFlags = 0;
};

struct LOGPALETTE {
  WORD palVersion = 0x300;
  WORD palNumEntries = 0;
  PALETTEENTRY palPalEntry[1];
};

// The palette has `palNumEntries` entries starting at palPalEntry (the record is allocated
// with room for all of them).
HPALETTE CreatePalette(const LOGPALETTE* palette);
HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground);
// Maps the selected palette into the system palette. Only a display with 8 bits per pixel
// has one; the result is the number of system palette entries that changed.
UINT RealizePalette(HDC hdc);

// ---- Fonts ----
constexpr int FW_DONTCARE = 0;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr BYTE SHIFTJIS_CHARSET = 128;
constexpr BYTE OUT_STROKE_PRECIS = 3;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE PROOF_QUALITY = 2;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FF_DONTCARE = 0;

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, const char* face);

// ---- Device contexts ----
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;

HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
// Makes a copy of the region (logical coordinates) the DC's clip region; null removes it.
int SelectClipRgn(HDC hdc, HRGN region);
int GetDeviceCaps(HDC hdc, int index);

// ---- Bitmaps ----
// Device-independent bitmaps: the info header and colour table as stored in files.
struct BITMAPINFOHEADER {
  DWORD biSize = 40;
  LONG biWidth = 0;
  LONG biHeight = 0;  // positive: rows bottom-up
  WORD biPlanes = 1;
  WORD biBitCount = 0;
  DWORD biCompression = 0;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
};

struct RGBQUAD {
  BYTE rgbBlue = 0;
  BYTE rgbGreen = 0;
  BYTE rgbRed = 0;
  BYTE rgbReserved = 0;
};

// The header followed by the colour table (the record is allocated with room for all of
// its entries).
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD CBM_INIT = 4;
constexpr UINT DIB_RGB_COLORS = 0;

// A bitmap compatible with the DC, of the header's size; with CBM_INIT its pixels come
// from `bits`, uncompressed rows of 1, 4, 8, 24 or 32 bits a pixel padded to 4 bytes,
// through the colour table of `info` for the paletted depths. `bits` must hold
// stride x |height| bytes. Other depths and compressed pixels are refused.
HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage);

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);

// ---- Drawing ----
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Lines exclude their end point with a cosmetic pen (width 0 or 1); a 2-pixel pen draws
// the widened segment, end points included. PS_INSIDEFRAME draws lines and arcs like
// PS_SOLID.
BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous);
BOOL LineTo(HDC hdc, int x, int y);
// Counter-clockwise along the ellipse inscribed in the box, from the ray through the start
// point to the ray through the end point (both from the box's centre); the whole ellipse
// when the two rays coincide.
BOOL Arc(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
// Outline with the pen, inside filled with the brush.
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y);
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// ---- Text ----
// Text is UTF-8; lengths count bytes, and -1 means up to the terminating zero.
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_CALCRECT = 0x0400;

// Draws the text with its top-left corner at (x, y) in the DC's font, text colour and
// background mode.
BOOL TextOut(HDC hdc, int x, int y, const char* text, int length);
// Width and height of the text on one line in the DC's font.
BOOL GetTextExtentPoint32(HDC hdc, const char* text, int length, SIZE* size);
// The measures of the DC's font that layouts rest on.
struct TEXTMETRIC {
  LONG tmHeight = 0;  // ascent + descent: the height of a line
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmAveCharWidth = 0;  // the width of 'x'
};
BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* metrics);
// Draws formatted text into the rectangle; returns the height of the text drawn.
int DrawText(HDC hdc, const char* text, int length, RECT* rect, UINT format);

// ---- Rectangles (the USER helpers the drawing code leans on) ----
BOOL SetRect(RECT* r, int left, int top, int right, int bottom);
BOOL SetRectEmpty(RECT* r);
BOOL IsRectEmpty(const RECT* r);
BOOL PtInRect(const RECT* r, POINT p);
BOOL OffsetRect(RECT* r, int dx, int dy);
BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b);
BOOL UnionRect(RECT* out, const RECT* a, const RECT* b);

namespace gdi {
// The installed font a logical font is drawn with, for widgets that are to show text the
// way our text calls do: its family and its character height in pixels.
struct InstalledFont {
  std::string family;
  int pixels = 0;
};
InstalledFont InstalledFontOf(HFONT font);
// Replaces a system colour with the desktop's own (its theme's), for the dialogs to match
// the desktop; the classic scheme stands for the colours never replaced.
void SetSystemColor(int index, COLORREF color);
}  // namespace gdi

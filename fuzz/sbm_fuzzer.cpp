// Arbitrary bytes read as an SBM file by the picture holder, through the palette and the
// screen bitmap to drawing with each raster operation. The display has 8 bits per pixel so
// that the palette is selected and realised on the way, as on the machines the format was
// made for.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>

#include "image/dib.h"
#include "image/sbm_reader.h"
#include "platform/backend/headless/headless_backend.h"
#include "platform/user/session.h"

namespace {

void StartPlatformOnce() {
  static const bool started = [] {
    platform::HeadlessBackend::Options options;
    options.bitsPerPixel = 8;
    platform::Initialize(std::make_unique<platform::HeadlessBackend>(options));
    return true;
  }();
  (void)started;
}

// Accepted pictures cost time in proportion to their size but take the same paths as small
// ones; above this many pixels (the largest window is 350 x 350), or this many bytes of
// pixel block for deep ones, they would take most of the run. Headers beyond the reader's
// limits are still tried: refusing them is cheap.
constexpr std::int64_t kMaxFuzzedPixels = std::int64_t{1} << 18;
constexpr std::uint32_t kMaxFuzzedImageSize = std::uint32_t{1} << 18;

bool LargeAcceptedPicture(const std::uint8_t* data, std::size_t size) {
  namespace sbm = image::sbm;
  if (size < sbm::kHeadersSize) return false;
  BYTE info[sbm::kInfoHeaderSize];
  std::memcpy(info, data + sbm::kFileHeaderSize, sizeof info);
  const BITMAPINFOHEADER h = sbm::ParseInfoHeader(info);
  const std::optional<std::uint32_t> imageSize = sbm::ImageSize(h.biWidth, h.biHeight, h.biBitCount);
  return imageSize && (std::int64_t{h.biWidth} * h.biHeight > kMaxFuzzedPixels || *imageSize > kMaxFuzzedImageSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (LargeAcceptedPicture(data, size)) return -1;  // kept out of the corpus
  StartPlatformOnce();
  image::sbm::MemorySource source(std::span<const BYTE>(data, size));
  CDib dib;
  dib.Read(source, nullptr);

  CDC target;
  target.CreateCompatibleDC(nullptr);
  const HBITMAP canvas = ::CreateBitmap(16, 16, 1, 32, nullptr);
  const HGDIOBJ previous = ::SelectObject(target.m_hDC, AsGdiObject(canvas));
  dib.Realize(&target, FALSE);
  for (DWORD rop : {SRCCOPY, SRCAND, SRCPAINT}) dib.Draw(&target, -3, 2, 1, 1, 0, 0, rop);
  ::SelectObject(target.m_hDC, previous);
  target.DeleteDC();
  ::DeleteObject(canvas);
  dib.Free();
  return 0;
}

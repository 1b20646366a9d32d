// What the sky costs: loading the run-length coded map once, and the block transfers every
// paint makes from it, against a plain memory copy of the same bytes.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "image/dib.h"
#include "image/sbm_reader.h"
#include "image/sbm_writer.h"
#include "platform/backend/headless/headless_backend.h"
#include "platform/user/session.h"

namespace sbm = image::sbm;

namespace {

constexpr int kMapWidth = 1856;
constexpr int kMapHeight = 403;
constexpr int kWindowEdge = 350;  // the largest window

// A sky map as drawn for the program: black, with about one pixel in sixty a star of one of
// 255 colours, some of them two pixels wide. Always the same map.
std::vector<BYTE> SkyMapFile() {
  sbm::IndexedPicture map;
  map.width = kMapWidth;
  map.height = kMapHeight;
  map.indices.assign(static_cast<std::size_t>(kMapWidth) * kMapHeight, 0);
  std::mt19937 rng(1856403);
  for (std::size_t i = 0; i < map.indices.size(); ++i) {
    if (rng() % 60 != 0) continue;
    map.indices[i] = static_cast<BYTE>(1 + rng() % 255);
    if (rng() % 4 == 0 && i + 1 < map.indices.size()) map.indices[++i] = static_cast<BYTE>(1 + rng() % 255);
  }
  for (int k = 0; k < 256; ++k) {
    map.palette.push_back(RGBQUAD{static_cast<BYTE>(k), static_cast<BYTE>(255 - k), static_cast<BYTE>(k / 2 + 64), 0});
  }
  std::optional<sbm::EncodedFile> file = sbm::EncodeFile(map, true);
  if (!file || !file->runLengthCoded) std::abort();
  return std::move(file->bytes);
}

// The map written to a temporary file, removed at exit.
const std::string& SkyMapPath() {
  static const std::string path = [] {
    char pattern[] = "/tmp/lumivane-bench-XXXXXX.SBM";
    const int fd = mkstemps(pattern, 4);
    if (fd < 0) std::abort();
    close(fd);
    if (!sbm::WriteBytes(pattern, SkyMapFile())) std::abort();
    std::atexit([] { std::filesystem::remove(SkyMapPath()); });
    return std::string(pattern);
  }();
  return path;
}

void LoadSkyMap(benchmark::State& state) {
  const std::string& path = SkyMapPath();
  for (auto _ : state) {
    CDib dib;
    if (dib.Read(path.c_str(), nullptr) != 1) state.SkipWithError("the map did not load");
    benchmark::DoNotOptimize(dib.m_hBitmap);
    dib.Free();
  }
  state.SetBytesProcessed(state.iterations() * kMapWidth * kMapHeight);
  state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path));
}
BENCHMARK(LoadSkyMap)->Unit(benchmark::kMillisecond);

// The reading and run-length decoding alone, from memory.
void DecodeSkyMap(benchmark::State& state) {
  const std::vector<BYTE> file = SkyMapFile();
  for (auto _ : state) {
    sbm::MemorySource source(file);
    sbm::Picture picture;
    benchmark::DoNotOptimize(sbm::ReadPicture(source, picture));
  }
  state.SetBytesProcessed(state.iterations() * kMapWidth * kMapHeight);
}
BENCHMARK(DecodeSkyMap)->Unit(benchmark::kMillisecond);

void Draw(benchmark::State& state) {
  const DWORD rop = static_cast<DWORD>(state.range(0));
  CDib dib;
  if (dib.Read(SkyMapPath().c_str(), nullptr) != 1) state.SkipWithError("the map did not load");
  CDC target;
  target.CreateCompatibleDC(nullptr);
  const HBITMAP canvas = ::CreateBitmap(kWindowEdge, kWindowEdge, 1, 32, nullptr);
  const HGDIOBJ previous = ::SelectObject(target.m_hDC, AsGdiObject(canvas));
  for (auto _ : state) {
    dib.Draw(&target, 0, 0, 700, 20, kWindowEdge, kWindowEdge, rop);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kWindowEdge * kWindowEdge * 4);
  ::SelectObject(target.m_hDC, previous);
  target.DeleteDC();
  ::DeleteObject(canvas);
  dib.Free();
}
BENCHMARK(Draw)->ArgName("rop")->Arg(SRCCOPY)->Arg(SRCAND)->Arg(SRCPAINT)->Unit(benchmark::kMicrosecond);

// The yardstick: the machine's memcpy of the bytes a draw moves (350 x 350 pixels of 4 bytes)
// and of the screen bitmap a load makes.
void Memcpy(benchmark::State& state) {
  const std::size_t bytes = static_cast<std::size_t>(state.range(0));
  std::vector<BYTE> from(bytes, 1), to(bytes, 0);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}
BENCHMARK(Memcpy)
    ->Arg(kWindowEdge * kWindowEdge * 4)
    ->Arg(kMapWidth * kMapHeight * 4)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  platform::Initialize(std::make_unique<platform::HeadlessBackend>());
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  platform::Shutdown();
  return 0;
}

// sbmtool: looks into SBM pictures, turns them into PNG and makes them from PNG, for people
// who draw their own sky maps.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <unordered_map>

#include "image/png_file.h"
#include "image/sbm_reader.h"
#include "image/sbm_writer.h"

namespace sbm = image::sbm;

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

int Usage() {
  std::fputs(
      "usage: sbmtool info FILE\n"
      "       sbmtool decode FILE OUT.png\n"
      "       sbmtool encode IN.png OUT.SBM [--rle]\n"
      "encode makes an 8-bit picture of at most 256 colours; transparency is dropped.\n",
      stderr);
  return kUsage;
}

int Fail(const std::string& file, const std::string& problem) {
  std::fprintf(stderr, "sbmtool: %s: %s\n", file.c_str(), problem.c_str());
  return kFailed;
}

// Reads the file as the program does; on failure says why in `problem`.
bool Load(const std::string& path, sbm::Picture& picture, std::string& problem) {
  sbm::FileSource file(path.c_str());
  if (!file.IsOpen()) {
    problem = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  const sbm::ReadOutcome outcome = sbm::ReadPicture(file, picture);
  if (outcome != sbm::ReadOutcome::kLoaded) {
    problem = sbm::Describe(outcome);
    return false;
  }
  return true;
}

std::string CompressionName(DWORD compression) {
  if (compression == sbm::kCompressionRle) return "run-length (1)";
  if (compression == BI_RGB) return "plain (0)";
  return std::to_string(compression) + " (read as plain)";
}

int Info(const std::string& path) {
  sbm::Picture picture;
  std::string problem;
  if (!Load(path, picture, problem)) return Fail(path, problem);
  const BITMAPINFOHEADER& h = picture.info;
  const int colours = sbm::ColourTableEntries(h.biBitCount);
  problem = sbm::Problem(picture);
  std::printf("file: %s\n", path.c_str());
  std::printf("width: %d\n", static_cast<int>(h.biWidth));
  std::printf("height: %d\n", static_cast<int>(h.biHeight));
  std::printf("depth: %d\n", static_cast<int>(h.biBitCount));
  std::printf("compression: %s\n", CompressionName(h.biCompression).c_str());
  if (h.biCompression == sbm::kCompressionRle) std::printf("coded bytes: %u\n", static_cast<unsigned>(h.biSizeImage));
  std::printf("palette: %d colours\n", colours);
  std::printf("decodes cleanly: %s\n", problem.empty() ? "yes" : ("no, " + problem).c_str());
  return problem.empty() ? kOk : Fail(path, problem);
}

int Decode(const std::string& path, const std::string& pngPath) {
  sbm::Picture picture;
  std::string problem;
  if (!Load(path, picture, problem)) return Fail(path, problem);
  problem = sbm::Problem(picture);
  if (!problem.empty()) return Fail(path, problem);
  const std::optional<platform::Image> argb = sbm::ToArgb(picture);
  if (!argb) return Fail(path, "depth not supported");
  if (!image::WritePng(pngPath, *argb, &problem)) return Fail(pngPath, problem);
  return kOk;
}

// The picture's colours in the order they first appear, and each pixel's index among them.
bool ToIndexed(const platform::Image& argb, sbm::IndexedPicture& out) {
  std::unordered_map<std::uint32_t, BYTE> indexOf;
  out.width = argb.width;
  out.height = argb.height;
  out.indices.reserve(argb.argb.size());
  for (std::uint32_t pixel : argb.argb) {
    const std::uint32_t rgb = pixel & 0xFFFFFF;
    auto found = indexOf.find(rgb);
    if (found == indexOf.end()) {
      if (out.palette.size() == sbm::kMaxColours) return false;
      found = indexOf.emplace(rgb, static_cast<BYTE>(out.palette.size())).first;
      out.palette.push_back(RGBQUAD{static_cast<BYTE>(rgb), static_cast<BYTE>(rgb >> 8), static_cast<BYTE>(rgb >> 16), 0});
    }
    out.indices.push_back(found->second);
  }
  return true;
}

int Encode(const std::string& pngPath, const std::string& path, bool runLength) {
  std::string problem;
  const std::optional<platform::Image> argb = image::ReadPng(pngPath, &problem);
  if (!argb) return Fail(pngPath, "not a readable PNG: " + problem);
  sbm::IndexedPicture indexed;
  if (!ToIndexed(*argb, indexed)) return Fail(pngPath, "more than 256 colours");
  const std::optional<sbm::EncodedFile> file = sbm::EncodeFile(indexed, runLength, &problem);
  if (!file) return Fail(pngPath, problem);
  if (!sbm::WriteBytes(path, file->bytes, &problem)) return Fail(path, problem);
  if (runLength && !file->runLengthCoded) {
    std::fprintf(stderr, "sbmtool: %s: run-length coding would be longer than plain rows; stored plain\n",
                 pngPath.c_str());
  }
  return kOk;
}

int Run(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "info" && argc == 3) return Info(argv[2]);
  if (command == "decode" && argc == 4) return Decode(argv[2], argv[3]);
  if (command == "encode" && argc == 4) return Encode(argv[2], argv[3], false);
  if (command == "encode" && argc == 5 && std::strcmp(argv[4], "--rle") == 0) return Encode(argv[2], argv[3], true);
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "sbmtool: %s\n", e.what());
    return kFailed;
  }
}

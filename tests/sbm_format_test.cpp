// The SBM reader and the run-length coding, below the picture holder.
#include <gtest/gtest.h>

#include <random>

#include "image/sbm_reader.h"
#include "image/sbm_rle.h"
#include "sbm_test_files.h"

namespace sbm = image::sbm;
using sbmtest::Bytes;
using sbmtest::Header;
using sbmtest::MakeSbm;

namespace {

struct Decoded {
  sbm::RleResult result;
  Bytes out;
};

Decoded Decode(const Bytes& coded, std::size_t outSize, int bitCount = 8) {
  Decoded d{{}, Bytes(outSize, 0)};
  d.result = sbm::DecodeRle(coded, static_cast<std::uint32_t>(coded.size()), bitCount, d.out);
  return d;
}

sbm::ReadOutcome ReadBytes(const Bytes& file, sbm::Picture& picture) {
  sbm::MemorySource source(file);
  return sbm::ReadPicture(source, picture);
}

TEST(SbmRleTest, RunsEndOfLinePaddingAndEndOfPicture) {
  // A row of 6 pixels is padded by 2 zero bytes at the end of line; one of 8 by none. The
  // output is not moved to a row start, and nothing after the end of picture is read.
  const Decoded d = Decode({3, 7, 3, 9, 0, 0, 8, 5, 0, 0, 2, 4, 0, 1, 5, 5}, 24);
  EXPECT_EQ(d.result.end, sbm::RleEnd::kEndOfPicture);
  EXPECT_EQ(d.result.written, 18u);
  const Bytes want{7, 7, 7, 9, 9, 9, 0, 0, 5, 5, 5, 5, 5, 5, 5, 5, 4, 4, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(d.out, want);
}

TEST(SbmRleTest, OddLiteralSkipsItsPadByteAndTheNextPairFollows) {
  const Decoded d = Decode({0, 3, 10, 11, 12, 99, 2, 13, 0, 4, 1, 2, 3, 4, 0, 1}, 12);
  EXPECT_EQ(d.result.end, sbm::RleEnd::kEndOfPicture);
  const Bytes want{10, 11, 12, 13, 13, 1, 2, 3, 4, 0, 0, 0};
  EXPECT_EQ(d.out, want);
}

TEST(SbmRleTest, DeltaFailsAndAStreamWithoutEndCodeStandsAsDecoded) {
  const Decoded delta = Decode({2, 6, 0, 2, 1, 1, 3, 9}, 8);
  EXPECT_EQ(delta.result.end, sbm::RleEnd::kDelta);
  EXPECT_EQ(delta.out, (Bytes{6, 6, 0, 0, 0, 0, 0, 0}));

  // Only the coded length counts: a run beyond it is not decoded.
  const Bytes coded{2, 6, 0, 0, 3, 9};
  Bytes out(8, 0);
  const sbm::RleResult r = sbm::DecodeRle(coded, 4, 8, out);
  EXPECT_EQ(r.end, sbm::RleEnd::kEndOfData);
  EXPECT_EQ(out, (Bytes{6, 6, 0, 0, 0, 0, 0, 0}));
}

TEST(SbmRleTest, NeverWritesBeyondThePictureNorReadsBeyondTheBytesHeld) {
  // The output is a window of a larger buffer: the guard bytes around it must survive.
  Bytes buffer(12, 0xEE);
  std::span<BYTE> out(buffer.data() + 2, 8);
  std::fill(out.begin(), out.end(), 0);
  sbm::RleResult r = sbm::DecodeRle(Bytes{5, 1, 200, 2}, 4, 8, out);
  EXPECT_EQ(r.end, sbm::RleEnd::kOutputFull);
  EXPECT_EQ(r.written, 8u);
  EXPECT_EQ(buffer, (Bytes{0xEE, 0xEE, 1, 1, 1, 1, 1, 2, 2, 2, 0xEE, 0xEE}));

  std::fill(out.begin(), out.end(), 0);
  r = sbm::DecodeRle(Bytes{6, 1, 0, 5, 1, 2, 3, 4, 5, 0}, 10, 8, out);
  EXPECT_EQ(r.end, sbm::RleEnd::kOutputFull);
  EXPECT_EQ(buffer, (Bytes{0xEE, 0xEE, 1, 1, 1, 1, 1, 1, 1, 2, 0xEE, 0xEE}));

  // The header's coded length may claim more than the file held: stop at the last whole
  // pair held. With an odd length the pair's second byte may lie past the length.
  Bytes small(8, 0);
  r = sbm::DecodeRle(Bytes{2, 3, 0}, 1000, 8, small);
  EXPECT_EQ(r.end, sbm::RleEnd::kInputShort);
  EXPECT_EQ(small, (Bytes{3, 3, 0, 0, 0, 0, 0, 0}));
  r = sbm::DecodeRle(Bytes{2, 3, 1, 4}, 3, 8, small);
  EXPECT_EQ(r.end, sbm::RleEnd::kEndOfData);
  EXPECT_EQ(small, (Bytes{3, 3, 4, 0, 0, 0, 0, 0}));
}

TEST(SbmRleTest, APictureEndingAfterTheFirstByteOfALiteralPairTakesNotItsSecond) {
  // The picture ends in the middle of a literal pair: a run of 5, then a literal of 5 whose
  // second pair has room for its first byte only. The guard bytes around it must survive.
  Bytes buffer(14, 0xEE);
  std::span<BYTE> out(buffer.data() + 2, 8);
  std::fill(out.begin(), out.end(), 0);
  const Bytes coded{5, 9, 0, 5, 1, 2, 3, 4, 5, 0};
  const sbm::RleResult r = sbm::DecodeRle(coded, static_cast<std::uint32_t>(coded.size()), 8, out);
  EXPECT_EQ(r.end, sbm::RleEnd::kOutputFull);
  EXPECT_EQ(r.written, 8u);
  EXPECT_EQ(buffer, (Bytes{0xEE, 0xEE, 9, 9, 9, 9, 9, 1, 2, 3, 0xEE, 0xEE, 0xEE, 0xEE}));

  // The same with the literal's first pair, on a block of exactly the picture's size as the
  // reader allocates it.
  const Decoded d = Decode({6, 9, 0, 5, 1, 2, 3, 4, 5, 0}, 7);
  EXPECT_EQ(d.result.end, sbm::RleEnd::kOutputFull);
  EXPECT_EQ(d.result.written, 7u);
  EXPECT_EQ(d.out, (Bytes{9, 9, 9, 9, 9, 9, 1}));
}

TEST(SbmRleTest, OtherDepthsWriteNothingAndALiteralSwallowsEverythingAfterIt) {
  Decoded d = Decode({4, 7, 0, 0, 0, 1, 4, 7}, 8, 4);
  EXPECT_EQ(d.result.end, sbm::RleEnd::kEndOfPicture);  // escapes before a literal are obeyed
  EXPECT_EQ(d.out, Bytes(8, 0));
  d = Decode({0, 3, 1, 2, 3, 0, 0, 1, 0, 2, 9, 9}, 8, 4);
  EXPECT_EQ(d.result.end, sbm::RleEnd::kEndOfData);  // the end code was taken as literal bytes
  EXPECT_EQ(d.out, Bytes(8, 0));
  d = Decode({4, 7, 0, 2}, 8, 24);
  EXPECT_EQ(d.result.end, sbm::RleEnd::kDelta);
  EXPECT_EQ(d.out, Bytes(8, 0));
}

TEST(SbmRleTest, EncodedRowsDecodeToTheSameBytes) {
  std::mt19937 rng(7);
  for (int width : {1, 2, 3, 5, 8, 13, 600}) {
    // A flat row (runs longer than one code holds), a noisy one (literals longer than one
    // code holds) and a mixed one with pairs, short literals and short runs.
    const int height = 3;
    const std::size_t stride = (static_cast<std::size_t>(width) + 3) / 4 * 4;
    Bytes rows(stride * height, 0);
    for (int x = 0; x < width; ++x) {
      rows[static_cast<std::size_t>(x)] = 4;
      rows[stride + static_cast<std::size_t>(x)] = static_cast<BYTE>(rng());
      rows[2 * stride + static_cast<std::size_t>(x)] = static_cast<BYTE>(x % 7 < 3 ? 9 : x % 7 < 5 ? x / 2 : rng());
    }
    const Bytes coded = sbm::EncodeRle8(rows, width, height, stride);
    Bytes out(rows.size(), 0);
    const sbm::RleResult r = sbm::DecodeRle(coded, static_cast<std::uint32_t>(coded.size()), 8, out);
    EXPECT_EQ(r.end, sbm::RleEnd::kEndOfPicture) << width;
    EXPECT_EQ(out, rows) << width;
  }
  // Three different bytes are a literal run with its pad byte, as bitmap readers expect.
  const Bytes row{1, 2, 3, 0};
  EXPECT_EQ(sbm::EncodeRle8(row, 3, 1, 4), (Bytes{0, 3, 1, 2, 3, 0, 0, 1}));
}

TEST(SbmReaderTest, RowsAreReadWithPaddingFromTheWidthAndTheLeadingBytesMeanNothing) {
  for (const auto& [width, padding] : {std::pair{3, 1}, {1, 3}, {4, 0}, {6, 2}}) {
    Bytes data;
    for (int i = 0; i < 2 * (width + padding); ++i) data.push_back(static_cast<std::uint8_t>(i + 1));
    sbm::Picture a, b;
    ASSERT_EQ(ReadBytes(MakeSbm({.width = width, .height = 2}, data, 0), a), sbm::ReadOutcome::kLoaded);
    ASSERT_EQ(ReadBytes(MakeSbm({.width = width, .height = 2}, data, 0xC3), b), sbm::ReadOutcome::kLoaded);
    EXPECT_EQ(a.imageSize, data.size());
    EXPECT_EQ(a.pixels.size(), static_cast<std::size_t>(data.size() * 1.2));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), a.pixels.begin())) << width;
    EXPECT_EQ(a.pixels, b.pixels);
    EXPECT_EQ(b.fileHeader[0], 0xC3);
    EXPECT_EQ(sbm::Problem(a), "");
  }
}

TEST(SbmReaderTest, ColourTablesFollowTheDepthNotTheColoursUsedField) {
  sbm::Picture p;
  ASSERT_EQ(ReadBytes(MakeSbm({.width = 8, .height = 1, .bitCount = 4, .coloursUsed = 3}, {0x01, 0x23, 0x45, 0xF6}), p),
            sbm::ReadOutcome::kLoaded);
  EXPECT_EQ(p.coloursRead, 16u);
  EXPECT_EQ(p.colours[15].rgbRed, 255 - 15);
  EXPECT_EQ(p.colours[16].rgbRed, 0);  // nothing read beyond the 16 entries
  EXPECT_EQ(p.bytesRead, 4u);
  const std::optional<platform::Image> argb = sbm::ToArgb(p);
  ASSERT_TRUE(argb);
  EXPECT_EQ(argb->argb[1], 0xFF000000u | sbmtest::TableColour(1));
  EXPECT_EQ(argb->argb[7], 0xFF000000u | sbmtest::TableColour(6));

  // 24 bits a pixel: no table, the pixel data start right after the headers.
  ASSERT_EQ(ReadBytes(MakeSbm({.width = 1, .height = 1, .bitCount = 24}, {9, 8, 7, 6}), p), sbm::ReadOutcome::kLoaded);
  EXPECT_EQ(p.pixels[0], 9);
  EXPECT_EQ(sbm::Problem(p), "depth 24 is not supported");
}

TEST(SbmReaderTest, ShortFilesLeaveTheRestColourZero) {
  sbm::Picture p;
  ASSERT_EQ(ReadBytes(MakeSbm({.width = 4, .height = 3}, {1, 2, 3, 4, 5, 6}), p), sbm::ReadOutcome::kLoaded);
  EXPECT_EQ(p.bytesRead, 6u);
  EXPECT_EQ(Bytes(p.pixels.begin(), p.pixels.begin() + 12), (Bytes{1, 2, 3, 4, 5, 6, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(sbm::Problem(p), "pixel data cut short");

  Bytes cutInTable = MakeSbm({.width = 4, .height = 1}, {});
  cutInTable.resize(54 + 10);
  ASSERT_EQ(ReadBytes(cutInTable, p), sbm::ReadOutcome::kLoaded);
  EXPECT_EQ(p.coloursRead, 2u);
  EXPECT_EQ(sbm::Problem(p), "colour table cut short");

  Bytes cutInHeader = MakeSbm({.width = 4, .height = 1}, {});
  cutInHeader.resize(53);
  EXPECT_EQ(ReadBytes(cutInHeader, p), sbm::ReadOutcome::kHeaderShort);
  EXPECT_EQ(ReadBytes({}, p), sbm::ReadOutcome::kHeaderShort);
}

TEST(SbmReaderTest, RowReadsOfShallowDepthsStopAtTheEndOfTheBlock) {
  // 4 bits, 9 pixels wide: stored rows are 8 bytes but read 12 at a time, so a file with
  // more pixel data than the block holds would run past it.
  sbm::Picture p;
  const Bytes lots(4000, 0x11);
  ASSERT_EQ(ReadBytes(MakeSbm({.width = 9, .height = 40, .bitCount = 4}, lots), p), sbm::ReadOutcome::kLoaded);
  EXPECT_EQ(p.imageSize, 320u);
  EXPECT_EQ(p.pixels.size(), 384u);
  EXPECT_EQ(p.bytesRead, 384u);
  // When the pixel data end the file, a 4-bit picture reads whole.
  ASSERT_EQ(ReadBytes(MakeSbm({.width = 9, .height = 40, .bitCount = 4}, Bytes(320, 0x22)), p),
            sbm::ReadOutcome::kLoaded);
  EXPECT_EQ(p.bytesRead, 320u);
  EXPECT_EQ(sbm::Problem(p), "");
}

TEST(SbmReaderTest, HostileSizesAreRefusedBeforeAnythingIsAllocated) {
  const Header hostile[] = {
      {.width = 0, .height = 10},          {.width = 10, .height = 0},
      {.width = -4, .height = 10},         {.width = 4, .height = -10},
      {.width = 0x7FFFFFFF, .height = 1},  {.width = 1, .height = 0x7FFFFFFF},
      {.width = 20000, .height = 20000},   {.width = 4096, .height = 4096, .bitCount = 64},
      {.width = 4, .height = 4, .bitCount = 0}, {.width = 32768, .height = 512, .bitCount = 65535},
      {.width = -2147483647 - 1, .height = -2147483647 - 1},
      // Few bytes of pixels but a screen bitmap of a gigabyte.
      {.width = 16384, .height = 16384, .bitCount = 1},
  };
  for (const Header& h : hostile) {
    sbm::Picture p;
    EXPECT_EQ(ReadBytes(MakeSbm(h, Bytes(64, 1)), p), sbm::ReadOutcome::kSizeRefused) << h.width << " x " << h.height;
    EXPECT_TRUE(p.pixels.empty());
  }
  // The largest picture allowed still loads.
  sbm::Picture p;
  EXPECT_EQ(ReadBytes(MakeSbm({.width = 4096, .height = 4096}, {}), p), sbm::ReadOutcome::kLoaded);
}

TEST(SbmReaderTest, NoDepthClaimsMoreBytesThanTheLargestEightBitPicture) {
  // A handful of pixels at thousands of bits each: a 57-byte file used to get a 28 MB pixel
  // block and, run-length coded, a 24 MB decoding buffer besides.
  const Header deep[] = {
      {.width = 13, .height = 224, .bitCount = 65284, .compression = 1},
      {.width = 77, .height = 60, .bitCount = 34566},
      {.width = 4096, .height = 4096, .bitCount = 32},
      {.width = 2, .height = 32768, .bitCount = 4096},
  };
  for (const Header& h : deep) {
    sbm::Picture p;
    EXPECT_EQ(ReadBytes(MakeSbm(h, Bytes(3, 1)), p), sbm::ReadOutcome::kSizeRefused) << h.bitCount;
    EXPECT_TRUE(p.pixels.empty());
  }
  // Every 8-bit picture within the pixel limit still loads, rows padded to whole words
  // included, and so do deeper ones of no more bytes.
  const Header fits[] = {
      {.width = 4097, .height = 4095},
      {.width = 1, .height = 32768},
      {.width = 32767, .height = 512},
      {.width = 2048, .height = 2048, .bitCount = 32},
      {.width = 3, .height = 5, .bitCount = 24},
  };
  for (const Header& h : fits) {
    sbm::Picture p;
    ASSERT_EQ(ReadBytes(MakeSbm(h, Bytes(5, 7)), p), sbm::ReadOutcome::kLoaded) << h.width << " x " << h.height;
    EXPECT_EQ(p.imageSize, sbm::RowStride(h.width, h.bitCount) * static_cast<std::uint64_t>(h.height));
    EXPECT_EQ(p.pixels[0], 7);
  }
}

TEST(SbmReaderTest, RunLengthDataAreDecodedInPlaceAndTheirFaultsReported) {
  // Width 5: each row is coded in full and its end of line pads it to the stride of 8.
  const Bytes coded{5, 5, 0, 0, 0, 3, 1, 2, 3, 0, 2, 9, 0, 1};
  sbm::Picture p;
  Header h{.width = 5, .height = 2, .compression = 1, .imageSize = static_cast<std::uint32_t>(coded.size())};
  ASSERT_EQ(ReadBytes(MakeSbm(h, coded), p), sbm::ReadOutcome::kLoaded);
  ASSERT_TRUE(p.rle);
  EXPECT_EQ(p.rle->end, sbm::RleEnd::kEndOfPicture);
  EXPECT_EQ(Bytes(p.pixels.begin(), p.pixels.begin() + 16), (Bytes{5, 5, 5, 5, 5, 0, 0, 0, 1, 2, 3, 9, 9, 0, 0, 0}));
  EXPECT_EQ(sbm::Problem(p), "");

  // An image size beyond the file's end decodes what is there.
  h.imageSize = 5000;
  ASSERT_EQ(ReadBytes(MakeSbm(h, {3, 5, 0, 0}), p), sbm::ReadOutcome::kLoaded);
  EXPECT_EQ(p.rle->end, sbm::RleEnd::kInputShort);
  EXPECT_EQ(p.pixels[2], 5);
  EXPECT_EQ(sbm::Problem(p), "run-length data shorter than the header says");

  // No more coded bytes are read than the decoded picture has, so a longer coding loses
  // its end.
  h = {.width = 4, .height = 1, .compression = 1, .imageSize = 8};
  ASSERT_EQ(ReadBytes(MakeSbm(h, {1, 1, 1, 2, 1, 3, 1, 4}), p), sbm::ReadOutcome::kLoaded);
  EXPECT_EQ(p.bytesRead, 4u);
  EXPECT_EQ(Bytes(p.pixels.begin(), p.pixels.begin() + 4), (Bytes{1, 2, 0, 0}));
  EXPECT_NE(sbm::Problem(p), "");

  // Run-length data of other depths are read but write nothing.
  h = {.width = 4, .height = 1, .bitCount = 4, .compression = 1, .imageSize = 4};
  ASSERT_EQ(ReadBytes(MakeSbm(h, {4, 0x12, 0, 1}), p), sbm::ReadOutcome::kLoaded);
  EXPECT_EQ(p.rle->end, sbm::RleEnd::kEndOfPicture);
  EXPECT_NE(sbm::Problem(p), "");

  // Compression values other than 1 are plain rows.
  h = {.width = 4, .height = 1, .compression = 7, .imageSize = 2};
  ASSERT_EQ(ReadBytes(MakeSbm(h, {0, 3, 1, 2}), p), sbm::ReadOutcome::kLoaded);
  EXPECT_FALSE(p.rle);
  EXPECT_EQ(Bytes(p.pixels.begin(), p.pixels.begin() + 4), (Bytes{0, 3, 1, 2}));
}

}  // namespace

// `orvex-hap info` and `verify` on movies from orvex-hap (every variant), from ffmpeg's Hap
// encoder (its three formats and its framings) and from the host simulator. verify's PSNR must
// agree with ffmpeg's psnr filter within 0.01 dB: the decoders reproduce ffmpeg's arithmetic and
// the PSNR is ffmpeg's (per-frame MSE averaged over frames). Three things keep the comparison
// honest on ffmpeg's side: the source is turned into packed ARGB first, as the encoder reads it;
// YUV is converted as the encoder's source reader converts it (BT.601 limited range for small
// untagged video, chroma upsampled bicubically with accurate rounding: ffmpeg's default
// conversion repeats the chroma and is 7 dB off on this picture; its BT.709 and full-range
// paths miss green by up to 13 and 9 on some pixels, so the comparison stays on BT.601); and
// alpha is compared through alphaextract (the psnr filter's own RGBA-to-planar conversion changes
// some alpha values).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "inspect/movie_check.h"
#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

constexpr int kFrames = 4;

struct Case {
  std::string name;
  std::string make;  // command writing $OUT from $SRC (an RGBA source) or $SRC420 (YUV 4:2:0)
  std::string variant, layout;
  bool reference = true;  // verify against the source
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

const std::string kOrvex = ORVEX_HAP_BIN;

std::vector<Case> cases() {
  const std::string orvex = kOrvex + " encode $SRC --quiet -o $OUT -c ";
  std::vector<Case> list = {
      {"orvex_hap", orvex + "hap", "Hap", "chunked DXT1 (0xCB)"},
      {"orvex_hap_alpha_no_snappy", orvex + "hap-alpha --no-snappy", "Hap Alpha",
       "stored DXT5 (0xAE)"},
      {"orvex_hap_q_from_yuv", kOrvex + " encode $SRC420 --quiet -o $OUT -c hap-q --chunks 3",
       "Hap Q", "chunked YCoCg DXT5 (0xCF)"},
      {"orvex_hap_q_alpha", orvex + "hap-q-alpha", "Hap Q Alpha",
       "multiple images (0x0D): chunked YCoCg DXT5 (0xCF) + chunked RGTC1 (0xC1)"},
      {"orvex_hap_alpha_only", orvex + "hap-alpha-only", "Hap Alpha-Only", "chunked RGTC1 (0xC1)"},
      {"orvex_hap_r", orvex + "hap-r -q fast", "Hap R", "chunked BPTC (0xCC)"},
      {"ffmpeg_hap_4_chunks", "ffmpeg -v error -i $SRC -c:v hap -format hap -chunks 4 $OUT", "Hap",
       "chunked DXT1 (0xCB) (8-byte headers)"},
      {"ffmpeg_hap_alpha_stored",
       "ffmpeg -v error -i $SRC -c:v hap -format hap_alpha -compressor none $OUT", "Hap Alpha",
       "stored DXT5 (0xAE) (8-byte headers)"},
      {"ffmpeg_hap_q_one_block", "ffmpeg -v error -i $SRC -c:v hap -format hap_q $OUT", "Hap Q",
       "Snappy YCoCg DXT5 (0xBF) (8-byte headers)"},
  };
#ifdef ORVEX_HOST_SIM_BIN
  list.push_back({"host_simulator",
                  std::string(ORVEX_HOST_SIM_BIN) +
                      " render -c hap-q-alpha --depth 32 --size 96x64 --frames 4 -o $OUT",
                  "Hap Q Alpha",
                  "multiple images (0x0D): chunked YCoCg DXT5 (0xCF) + chunked RGTC1 (0xC1)",
                  false});
#endif
  return list;
}

std::string substitute(std::string text,
                       const std::vector<std::pair<std::string, std::string>>& values) {
  for (const auto& [key, value] : values)
    for (size_t at; (at = text.find(key)) != std::string::npos;)
      text.replace(at, key.size(), value);
  return text;
}

// Figures by channel from the line starting with `line_start`: verify's "R 32.97 dB, ..., A inf"
// (a channel letter, then its figure) or ffmpeg's "r:32.97 g:... y:..." (letter, colon, figure).
std::map<char, double> psnr_figures(const std::string& text, const std::string& line_start) {
  std::map<char, double> out;
  const size_t at = text.find(line_start);
  if (at == std::string::npos) return out;
  std::istringstream line(text.substr(at, text.find('\n', at) - at));
  std::string word, previous;
  const auto figure = [](const std::string& v) {
    return v.rfind("inf", 0) == 0 ? 1e9 : std::stod(v);
  };
  while (line >> word) {
    if (word.size() > 2 && word[1] == ':' &&
        std::string("rgbay").find(word[0]) != std::string::npos)
      out[static_cast<char>(std::toupper(word[0]))] = figure(word.substr(2));
    if (previous.size() == 1 && std::string("RGBAM").find(previous[0]) != std::string::npos)
      out[previous[0]] = figure(word);
    previous = word;
  }
  return out;
}

std::map<char, double> ffmpeg_psnr(const std::string& movie, const std::string& source,
                                   const std::string& graph) {
  const RunResult r = run("ffmpeg -i " + quote(movie) + " -i " + quote(source) + " -lavfi '" +
                          graph + "' -f null - 2>&1");
  return psnr_figures(r.out, "PSNR ");
}

class InspectCommands : public testing::TestWithParam<Case> {
 protected:
  static void SetUpTestSuite() {
    scratch = new Scratch();
    src = scratch->file("src.nut");
    src420 = scratch->file("src420.nut");
    // RGBA (planar in the file) with an alpha ramp, and the same pictures in YUV 4:2:0.
    const std::string lavfi =
        "-f lavfi -i testsrc2=size=96x64:rate=25 -frames:v " + std::to_string(kFrames);
    ASSERT_EQ(run("ffmpeg -v error " + lavfi +
                  " -vf \"format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='min(255,(X+2*Y)*2)'\""
                  " -c:v rawvideo " +
                  src)
                  .status,
              0);
    ASSERT_EQ(run("ffmpeg -v error " + lavfi + " -pix_fmt yuv420p -c:v rawvideo " + src420).status,
              0);
  }
  static void TearDownTestSuite() { delete scratch; }
  static Scratch* scratch;
  static std::string src, src420;
};
Scratch* InspectCommands::scratch = nullptr;
std::string InspectCommands::src, InspectCommands::src420;

TEST_P(InspectCommands, InfoDescribesAndVerifyAgreesWithFfmpeg) {
  const Case& c = GetParam();
  const std::string movie = scratch->file(c.name + ".mov");
  const bool yuv = c.make.find("$SRC420") != std::string::npos;
  const std::string source = yuv ? src420 : src;
  ASSERT_EQ(run(substitute(c.make, {{"$SRC420", src420}, {"$SRC", src}, {"$OUT", movie}})).status,
            0);

  const RunResult info = orvex("info --json " + quote(movie));
  ASSERT_EQ(info.status, 0) << info.err;
  for (const std::string& field :
       {"\"variant\": \"" + c.variant + "\"", std::string("\"width\": 96, \"height\": 64"),
        "\"frames\": " + std::to_string(kFrames), "\"layout\": \"" + c.layout + "\""})
    EXPECT_NE(info.out.find(field), std::string::npos) << field << " in\n" << info.out;

  const RunResult verify =
      orvex("verify " + quote(movie) + (c.reference ? " --reference " + quote(source) : ""));
  ASSERT_EQ(verify.status, 0) << verify.out << verify.err;
  EXPECT_NE(verify.out.find("frames: 4 of 4 decoded"), std::string::npos) << verify.out;
  if (!c.reference) return;
  // Every channel well above what a broken path gives (DXT1 blue measured 27.7 dB).
  const auto ours = psnr_figures(verify.out, "psnr:");
  ASSERT_FALSE(ours.empty()) << verify.out;
  for (const auto& [channel, db] : ours) EXPECT_GE(db, 26.0) << channel << " in " << verify.out;
  if (c.variant == "Hap R") return;  // ffmpeg cannot decode Hap R
  std::map<char, double> theirs;
  if (c.variant == "Hap Alpha-Only") {
    theirs['M'] =
        ffmpeg_psnr(movie, source, "[0:v]format=gray[a];[1:v]alphaextract[b];[a][b]psnr")['Y'];
  } else {
    const std::string yuv_to_rgb =
        yuv ? "scale=flags=bicubic+accurate_rnd+full_chroma_int+bitexact:in_range=tv:"
              "in_color_matrix=bt601,"
            : "";
    theirs = ffmpeg_psnr(
        movie, source,
        "[0:v]format=rgb24[a];[1:v]" + yuv_to_rgb + "format=argb,format=rgb24[b];[a][b]psnr");
    if (ours.count('A'))
      theirs['A'] =
          ffmpeg_psnr(movie, source, "[0:v]alphaextract[a];[1:v]alphaextract[b];[a][b]psnr")['Y'];
  }
  ASSERT_FALSE(theirs.empty());
  ASSERT_EQ(ours.size(), theirs.size()) << verify.out;
  for (const auto& [channel, db] : theirs) EXPECT_NEAR(ours.at(channel), db, 0.01) << channel;
}

INSTANTIATE_TEST_SUITE_P(Producers, InspectCommands, testing::ValuesIn(cases()),
                         [](const auto& info) { return info.param.name; });

// A size-table entry of frame 2 one too large: verify names the frame and fails, info reports it.
TEST(VerifyFaults, CorruptChunkTableIsNamedWithItsFrame) {
  Scratch dir;
  const std::string movie = dir.file("m.mov");
  ASSERT_EQ(
      orvex("encode --pattern=64x48 --frames 4 --no-audio --chunks 2 --quiet -o " + movie).status,
      0);
  uint64_t at = 0;
  {
    orvex_inspect::MovieReader reader(movie);
    const auto* video = orvex_inspect::find_hap_track(reader.movie());
    // Section header 4, instructions header 4, compressor table 4 + 2, size table header 4.
    at = orvex_inspect::video_samples(*video)[2].offset + 4 + 4 + 4 + 2 + 4;
  }
  std::fstream f(movie, std::ios::in | std::ios::out | std::ios::binary);
  f.seekg(static_cast<std::streamoff>(at));
  const char size0 = static_cast<char>(f.get());
  f.seekp(static_cast<std::streamoff>(at));
  f.put(static_cast<char>(size0 + 1));
  f.close();

  const RunResult verify = orvex("verify " + movie);
  EXPECT_EQ(verify.status, 1);
  EXPECT_NE(verify.out.find("fault: frame 2: malformed Hap frame: chunk sizes do not add up to "
                            "the section"),
            std::string::npos)
      << verify.out;
  EXPECT_NE(verify.err.find("orvex-hap: error: '" + movie +
                            "' failed verification: 1 fault "
                            "(first: frame 2: "),
            std::string::npos)
      << verify.err;
  const RunResult info = orvex("info " + movie);
  EXPECT_EQ(info.status, 0);
  EXPECT_NE(info.out.find("damaged:  1 frames (first: frame 2: "), std::string::npos) << info.out;
}

// The timecode the encoder writes reads back as given; a saved frame is the frame ffmpeg decodes.
TEST(InspectPattern, DropFrameTimecodeAndSavedFrame) {
  Scratch dir;
  const std::string movie = dir.file("p.mov"), png = dir.file("f.png");
  ASSERT_EQ(orvex("encode --pattern=64x48 --rate 30000/1001 --frames 3 --timecode '01:02:03;04' "
                  "--drop-frame -c hap-q --quiet -o " +
                  movie)
                .status,
            0);
  const RunResult info = orvex("info " + movie);
  EXPECT_NE(info.out.find("starts at 01:02:03;04 (30 fps, drop frame)"), std::string::npos)
      << info.out;
  const RunResult verify = orvex("verify " + movie + " --pattern --save-frame 1 " + png);
  ASSERT_EQ(verify.status, 0) << verify.out << verify.err;
  EXPECT_NE(verify.out.find("saved frame 1 to " + png), std::string::npos);
  const auto saved = decode_video(png, "rgb24");
  const auto all = decode_video(movie, "rgb24");
  const size_t bytes = 64 * 48 * 3;
  ASSERT_EQ(saved.size(), bytes);
  ASSERT_EQ(all.size(), 3 * bytes);
  EXPECT_TRUE(std::equal(saved.begin(), saved.end(), all.begin() + bytes));
  EXPECT_EQ(orvex("verify " + movie + " --save-frame 1 " + png).status, 1) << "exists without -y";
}

}  // namespace

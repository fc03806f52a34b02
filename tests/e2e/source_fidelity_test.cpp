// orvex-hap keeps what the source says, checked on sources made by ffmpeg: the audio's start
// relative to the video, variable-rate timing, pixel aspect, rotation, timecode, every audio
// track, --start/--duration/--rate on a file, and the frames of a file cut short.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "inspect/psnr.h"
#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

// Runs `make` (ffmpeg) in `dir` with {dir} replaced, then orvex-hap on `args`; both succeed.
RunResult make_and_encode(const Scratch& dir, const std::string& make, const std::string& args) {
  const RunResult made = run("ffmpeg -v error -y " + expand_dir(make, dir));
  EXPECT_EQ(made.status, 0) << made.err;
  const RunResult r = orvex("encode " + expand_dir(args, dir));
  EXPECT_EQ(r.status, 0) << r.err;
  return r;
}

// The audio plays at its own time relative to the first frame: a late start becomes leading
// silence, an early one is trimmed. The tone is 1 + t/10 at source time t (32-bit float), so the
// first sample written tells which source time it holds; 48 samples are 1 ms.
TEST(SourceFidelity, AudioKeepsItsStartRelativeToTheVideo) {
  struct Case {
    const char* name;
    const char* video_offset;  // -itsoffset of the inputs
    const char* audio_offset;
  };
  for (const Case& c :
       {Case{"audio 0.5 s late", "0", "0.5"}, Case{"audio 0.3 s early", "0.3", "0"}}) {
    SCOPED_TRACE(c.name);
    Scratch dir;
    make_and_encode(dir,
                    std::string("-itsoffset ") + c.video_offset +
                        " -f lavfi -i testsrc2=size=96x64:rate=25:duration=2 -itsoffset " +
                        c.audio_offset +
                        " -f lavfi -i aevalsrc=1+t/10:s=48000:d=1.2 -c:v ffv1 -c:a pcm_f32le "
                        "{dir}/in.mkv",
                    "{dir}/in.mkv --quiet -o {dir}/out.mov");
    // The source's start times as ffmpeg stores them (on its millisecond grid).
    const double shift_s = std::stod(probe(dir.file("in.mkv"), "a", "start_time")) -
                           std::stod(probe(dir.file("in.mkv"), "v", "start_time"));
    EXPECT_NEAR(std::fabs(shift_s), 0.4, 0.1);
    const std::vector<uint8_t> bytes = decode_audio(dir.file("out.mov"), "f32le");
    std::vector<float> audio(bytes.size() / 4);
    std::memcpy(audio.data(), bytes.data(), bytes.size() / 4 * 4);
    size_t first = 0;
    while (first < audio.size() && audio[first] == 0.0f) ++first;
    ASSERT_LT(first, audio.size());
    const double source_time = (audio[first] - 1.0) * 10, movie_time = first / 48000.0;
    EXPECT_NEAR(movie_time - source_time, shift_s, 0.001);
    EXPECT_EQ(probe(dir.file("out.mov"), "v", "nb_frames"), "50");
  }
}

// An audio file's cover art is a still picture without a rate: it is shown for the whole sound
// at 25 fps, and every audio sample is kept (it used to become a one-frame movie of 11 us).
TEST(SourceFidelity, CoverArtLastsAsLongAsTheSound) {
  Scratch dir;
  make_and_encode(dir,
                  "-f lavfi -i sine=d=2:sample_rate=44100 -f lavfi -i testsrc=s=64x48:d=1 -map 0 "
                  "-map 1 -frames:v 1 -c:v mjpeg -disposition:v attached_pic {dir}/in.mp3",
                  "{dir}/in.mp3 --quiet -o {dir}/out.mov");
  const int frames = std::stoi(probe(dir.file("out.mov"), "v", "nb_frames"));
  EXPECT_NEAR(frames, 50, 2);
  const size_t source_samples = decode_audio(dir.file("in.mp3"), "s16le").size() / 2;
  const size_t movie_samples = decode_audio(dir.file("out.mov"), "s16le").size() / 2;
  EXPECT_GE(movie_samples, source_samples);
}

// Frames at 30, then 10, then 30 per second: the movie runs at the average rate, keeps the
// duration, and the white frame (source time 2.0 s) stays within one output frame of its time.
TEST(SourceFidelity, VariableRateKeepsTimestamps) {
  Scratch dir;
  const RunResult r = make_and_encode(
      dir,
      "-f lavfi -i testsrc2=size=96x64:rate=30:duration=3 -vf "
      "\"drawbox=c=white:t=fill:enable='eq(n,40)',setpts='if(lt(N,30),N/30,if(lt(N,60),"
      "1+(N-30)/10,4+(N-60)/30))/TB'\" -fps_mode passthrough -c:v libx264 -preset ultrafast "
      "{dir}/vfr.mp4",
      "{dir}/vfr.mp4 -o {dir}/out.mov");
  EXPECT_NE(r.err.find("warning: to keep the source's timing at 18 fps"), std::string::npos)
      << r.err;
  const std::string out = dir.file("out.mov");
  EXPECT_EQ(probe(out, "v", "r_frame_rate"), "18/1");
  EXPECT_NEAR(std::stod(probe(out, "v", "duration")), 5.0, 1.0 / 18);
  const std::vector<uint8_t> frames = decode_video(out, "gray");
  const size_t frame_bytes = 96 * 64;
  size_t white = 0;
  while ((white + 1) * frame_bytes <= frames.size()) {
    uint64_t sum = 0;
    for (size_t i = 0; i < frame_bytes; ++i) sum += frames[white * frame_bytes + i];
    if (sum > 250 * frame_bytes) break;
    ++white;
  }
  EXPECT_NEAR(white / 18.0, 2.0, 1.0 / 18 + 1e-9);
}

// Pixel aspect, rotation and timecode reach the movie; the pictures match ffmpeg's own decode of
// the source (which rotates too).
TEST(SourceFidelity, GeometryAndTimecodeKept) {
  struct Case {
    const char* name;
    const char* make;  // writes {dir}/in.*
    const char* input;
    const char* entries;  // ffprobe entries of the movie's video stream
    const char* want;
  };
  const Case cases[] = {
      // 704 x 64/45 is not a whole width: only an exact ratio gives 64:45.
      {"pixel aspect 64:45",
       "-f lavfi -i testsrc2=size=704x576:duration=0.2 -vf setsar=64/45 -c:v ffv1 {dir}/in.mkv",
       "in.mkv", "sample_aspect_ratio", "64:45"},
      {"rotation 90",
       "-f lavfi -i testsrc2=size=640x360:duration=0.2 -c:v libx264 -preset ultrafast "
       "{dir}/flat.mp4 && ffmpeg -v error -i {dir}/flat.mp4 -c copy -metadata:s:v:0 rotate=90 "
       "{dir}/in.mp4",
       "in.mp4", "width,height", "360\n640"},
      {"timecode 01:02:03:04",
       "-f lavfi -i testsrc2=size=96x64:duration=0.2 -c:v ffv1 -timecode 01:02:03:04 "
       "{dir}/in.mov",
       "in.mov", ":stream_tags=timecode", "01:02:03:04"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scratch dir;
    make_and_encode(dir, c.make, "{dir}/" + std::string(c.input) + " --quiet -o {dir}/out.mov");
    const std::string out = dir.file("out.mov");
    EXPECT_EQ(probe(out, "v", c.entries), c.want);
    const auto source = decode_video(dir.file(c.input)), movie = decode_video(out);
    ASSERT_EQ(source.size(), movie.size());
    EXPECT_GE(orvex_inspect::psnr(source.data(), movie.data(), source.size()), 25.0);
  }
}

// Every audio track becomes its own track, each in its own layout, sample for sample; the video
// (lossless FFV1 in 4:2:0) decodes close to the source's frames.
TEST(SourceFidelity, EveryAudioTrackKeptAndVideoClose) {
  Scratch dir;
  const RunResult r =
      make_and_encode(dir,
                      "-f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -f lavfi -i "
                      "sine=frequency=440:sample_rate=48000:duration=1 -f lavfi -i "
                      "sine=frequency=660:sample_rate=44100:duration=1 -map 0 -map 1 -map 2 -map 1 "
                      "-c:v ffv1 -pix_fmt yuv420p -c:a:0 pcm_s16le -ac:a:0 2 -c:a:1 pcm_f32le "
                      "-c:a:2 pcm_s24le {dir}/in.mkv",
                      "{dir}/in.mkv --quiet -o {dir}/out.mov");
  EXPECT_EQ(r.err, "");  // no warning about a clean source
  const std::string in = dir.file("in.mkv"), out = dir.file("out.mov");
  EXPECT_EQ(probe(out, "v", "codec_name,codec_tag_string,nb_frames,r_frame_rate"),
            "hap\nHap1\n25/1\n25");
  EXPECT_EQ(run("ffprobe -v error -select_streams a -show_entries "
                "stream=codec_name,sample_rate,channels -of csv=p=0 " +
                out)
                .out,
            "pcm_s16le,48000,2\npcm_f32le,44100,1\npcm_s24le,48000,1\n");
  for (const auto& [track, format] :
       {std::pair{0, "s16le"}, std::pair{1, "f32le"}, std::pair{2, "s24le"}}) {
    SCOPED_TRACE(track);
    const auto want = decode_audio(in, format, track);
    ASSERT_FALSE(want.empty());
    EXPECT_EQ(decode_audio(out, format, track), want);
  }
  const auto source = decode_video(in), decoded = decode_video(out);
  ASSERT_EQ(decoded.size(), size_t{320} * 240 * 3 * 25);
  ASSERT_EQ(source.size(), decoded.size());
  EXPECT_GE(orvex_inspect::psnr(source.data(), decoded.data(), source.size()), 30.0);
}

// --start and --duration cut a file by time; --rate changes the output rate by repeating frames,
// never the speed: the audio keeps its length.
TEST(SourceFidelity, StartDurationAndRateOnAFile) {
  struct Case {
    const char* args;
    const char* frames;
    double duration_s;
    const char* first_frame_at;  // ffmpeg -ss of the source frame the movie starts with
  };
  Scratch dir;
  const RunResult made =
      run("ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=25:duration=4 -f lavfi -i "
          "sine=frequency=440:sample_rate=48000:duration=4 -c:v ffv1 -c:a pcm_s16le " +
          dir.file("in.mkv"));
  ASSERT_EQ(made.status, 0) << made.err;
  for (const Case& c :
       {Case{"--start 1 --duration 2", "50", 2.0, "1"},
        Case{"--start 00:00:01.6", "60", 2.4, "1.6"}, Case{"--rate 50", "200", 4.0, "0"}}) {
    SCOPED_TRACE(c.args);
    const std::string out = dir.file("out.mov");
    const RunResult r =
        orvex("encode " + dir.file("in.mkv") + " " + c.args + " -y --quiet -o " + out);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(probe(out, "v", "nb_frames"), c.frames);
    EXPECT_NEAR(std::stod(probe(out, "a", "duration")), c.duration_s, 0.001);
    const RunResult first = run("ffmpeg -v error -y -ss " + std::string(c.first_frame_at) + " -i " +
                                dir.file("in.mkv") + " -frames:v 1 -f rawvideo -pix_fmt rgb24 " +
                                dir.file("first.rgb"));
    ASSERT_EQ(first.status, 0) << first.err;
    const auto want = read_file(dir.file("first.rgb")), movie = decode_video(out);
    ASSERT_GE(movie.size(), want.size());
    // 28 dB for the right frame, 19 for its neighbours.
    EXPECT_GE(orvex_inspect::psnr(want.data(), movie.data(), want.size()), 25.0);
  }
}

// A faststart mp4 cut short: the frames that decode make the movie, with a warning, and the
// summary counts the frames lost.
TEST(SourceFidelity, TruncatedFileKeepsDecodableFrames) {
  Scratch dir;
  const std::string full = dir.file("full.mp4"), cut = dir.file("cut.mp4");
  const RunResult made =
      run("ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=25:duration=4 -f lavfi -i "
          "sine=duration=4 -c:v libx264 -preset ultrafast -c:a aac -movflags +faststart " +
          full + " && head -c $(( $(stat -c %s " + full + ") * 2 / 5 )) " + full + " > " + cut);
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string decodable =
      run("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
          "stream=nb_read_frames -of csv=p=0 " +
          cut)
          .out;
  const RunResult r = orvex("encode " + cut + " -o " + dir.file("out.mov"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("warning: the input is damaged: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(" frames lost\n"), std::string::npos) << r.err;
  EXPECT_EQ(probe(dir.file("out.mov"), "v", "nb_frames") + "\n", decodable);
}

}  // namespace

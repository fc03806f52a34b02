// orvex-host-sim: loads the plug-in as the host does and registers it, or renders a movie
// through it. Scenario options make host queries fail or answer chosen values.
//
//   orvex-host-sim register
//   orvex-host-sim render -c hap-q --depth 64 --frames 50 -o out.mov
//
// A render ends with the host's shutdown (the plug-in's death hook); --abandon leaves the render
// open and exits without it, as a host that quits mid-render does.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>

#include "HAP/hap_variants.h"
#include "host/sim/plugin_loader.h"
#include "host/sim/sim_host.h"
#include "host/sim/sim_render.h"

namespace {

using orvex_sim::Host;
using orvex_sim::RenderRequest;
using orvex_sim::TargetValues;

// The options record's codec (frame codec numbering) of each command-line name.
const std::map<std::string, uint32_t> kCodecs = [] {
  std::map<std::string, uint32_t> codecs;
  for (const HapVariant& v : kHapVariants) codecs[v.cli_name] = v.frame_codec;
  return codecs;
}();
const std::map<std::string, uint32_t> kQualities = {{"fast", 1}, {"normal", 2}, {"slow", 3}};
// Sample formats: the host's sound encoding and bytes per sample.
const std::map<std::string, std::pair<AEIO_SndEncoding, AEIO_SndSampleSize>> kSampleFormats = {
    {"u8", {AEIO_E_UNSIGNED_PCM, 1}}, {"s8", {AEIO_E_SIGNED_PCM, 1}},
    {"s16", {AEIO_E_SIGNED_PCM, 2}},  {"s24", {AEIO_E_SIGNED_PCM, 3}},
    {"s32", {AEIO_E_SIGNED_PCM, 4}},  {"f32", {AEIO_E_SIGNED_FLOAT, 4}}};

// Points a "--fail QUERY=CODE" option at the target field it sets.
A_Err* query_error(TargetValues& target, const std::string& query) {
  const std::map<std::string, A_Err*> fields = {{"path", &target.path_err},
                                                {"options", &target.options_get_err},
                                                {"set-options", &target.options_set_err},
                                                {"dimensions", &target.dimensions_err},
                                                {"depth", &target.depth_err},
                                                {"set-depth", &target.set_depth_err},
                                                {"fps", &target.fps_err},
                                                {"hsf", &target.hsf_err},
                                                {"sound-rate", &target.sound_rate_err},
                                                {"sample-size", &target.sample_size_err},
                                                {"sound-encoding", &target.sound_encoding_err},
                                                {"channels", &target.channels_err},
                                                {"missing", &target.missing_err}};
  auto it = fields.find(query);
  return it == fields.end() ? nullptr : it->second;
}

std::u16string widen(const std::string& path) {
  // Paths given on the command line are taken as UTF-8.
  std::u16string out;
  for (size_t i = 0; i < path.size();) {
    uint32_t c = static_cast<uint8_t>(path[i]);
    int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    c &= extra == 0 ? 0x7F : extra == 1 ? 0x1F : extra == 2 ? 0x0F : 0x07;
    for (int k = 1; k <= extra && i + k < path.size(); ++k)
      c = (c << 6) | (static_cast<uint8_t>(path[i + k]) & 0x3F);
    i += 1 + extra;
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

void print_host_state(const Host& host) {
  for (const std::string& m : host.user_messages) std::cout << "user message: " << m << "\n";
  for (const std::string& m : host.misuse) std::cout << "host misuse: " << m << "\n";
}

int run_register(const std::string& plugin_path) {
  orvex_sim::Plugin plugin(plugin_path);
  Host host;
  const A_Err err = host.enter(plugin.entry_point());
  const AEIO_ModuleInfo& info = host.registration.info;
  std::cout << "EntryPointFunc: " << err << "\n"
            << "module: " << info.name << " ("
            << std::string(reinterpret_cast<const char*>(&info.sig), 4) << "), flags " << info.flags
            << " / " << info.flags2 << ", max " << info.max_width << " x " << info.max_height
            << ", extension " << info.create_ext.pad << std::string(info.create_ext.extension, 3)
            << "\n"
            << "registered as: " << host.registration.aegp_name << "\n";
  const auto* slots = reinterpret_cast<void* const*>(&host.registration.callbacks);
  std::cout << "empty slots:";
  for (int i = 0; i < AEIO_FunctionBlock4_SLOTS; ++i)
    if (slots[i] == nullptr) std::cout << " " << i;
  std::cout << "\n";
  print_host_state(host);
  return err == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Host simulator for the Orvex Hap output module"};
  app.require_subcommand(1);
  std::string plugin_path = ORVEX_DEFAULT_PLUGIN;
  app.add_option("--plugin", plugin_path, "plug-in library to load");

  CLI::App* reg = app.add_subcommand("register", "load the plug-in and show its registration");
  CLI::App* render = app.add_subcommand("render", "render a movie through the plug-in");

  RenderRequest request;
  request.target.width = 320;
  request.target.height = 240;
  std::string output = "out.mov", codec = "hap", quality = "normal", size, audio = "stereo";
  std::string sample_format = "s16", hsf, world_size, world_format;
  std::vector<std::string> failures, missing_suites, traps;
  int depth = 24;
  bool no_snappy = false, one_at_a_time = false, no_path = false;
  double rate = 25.0;
  A_Fixed fps_fixed = 0;
  render->add_option("-o,--output", output, "output movie");
  render->add_option("-c,--codec", codec)->check(CLI::IsMember(kCodecs));
  render->add_option("-q,--quality", quality)->check(CLI::IsMember(kQualities));
  render->add_option("--depth", depth, "output depth: 24, 32, 48, 64 or 128 (float world)");
  render->add_option("--frames", request.frames);
  render->add_option("--size", size, "WxH (default 320x240)");
  render->add_option("--rate", rate, "frames per second (default 25)");
  render->add_option("--fps-fixed", fps_fixed, "frame rate as the host's raw 16.16 value");
  render->add_option("--hsf", hsf, "pixel aspect ratio N:D");
  render->add_option("--audio", audio, "none, mono, stereo or a channel count");
  render->add_option("--sample-format", sample_format)->check(CLI::IsMember(kSampleFormats));
  render->add_option("--sound-rate", request.target.sound_rate);
  render->add_option("--chunks", request.chunks);
  render->add_flag("--no-snappy", no_snappy);
  render->add_flag("--one-frame-at-a-time", one_at_a_time);
  render->add_option("--fail", failures,
                     "QUERY=CODE: make a host query fail (path, options, "
                     "dimensions, depth, fps, hsf, sound-rate, sound-encoding, "
                     "sample-size, channels, missing, set-options, set-depth)");
  render->add_option("--missing-suite", missing_suites, "suite name the host refuses");
  render->add_flag("--no-path", no_path, "the host gives no output path");
  render->add_flag("--reserved", request.target.file_reserved,
                   "the host creates the output file before the render (file reserved)");
  render->add_option("--trap", traps, "\"SUITE NAME:SLOT\": serve that slot as a trap");
  render->add_flag("--abandon", request.abandon,
                   "exit after the last frame without ending the render or shutting down");
  render->add_option("--world", world_size, "WxH of the frame worlds (default: output size)");
  render->add_option("--world-format", world_format)
      ->check(CLI::IsMember({"argb", "ae16", "ae32"}));
  CLI11_PARSE(app, argc, argv);

  try {
    if (reg->parsed()) return run_register(plugin_path);

    request.codec = kCodecs.at(codec);
    request.quality = kQualities.at(quality);
    request.snappy = !no_snappy;
    request.frame_mode = one_at_a_time ? 2 : 1;
    request.target.path = widen(output);
    request.target.no_path = no_path;
    request.target.depth = static_cast<A_short>(depth);
    request.target.fps = fps_fixed ? fps_fixed : static_cast<A_Fixed>(std::lround(rate * 65536.0));
    if (!size.empty() &&
        std::sscanf(size.c_str(), "%dx%d", &request.target.width, &request.target.height) != 2)
      throw CLI::ValidationError("--size", "expected WxH");
    if (!world_size.empty() &&
        std::sscanf(world_size.c_str(), "%dx%d", &request.world_width, &request.world_height) != 2)
      throw CLI::ValidationError("--world", "expected WxH");
    if (!hsf.empty()) {
      long num = 0;
      unsigned long den = 0;
      if (std::sscanf(hsf.c_str(), "%ld:%lu", &num, &den) != 2)
        throw CLI::ValidationError("--hsf", "expected N:D");
      request.target.hsf = {static_cast<A_long>(num), static_cast<A_u_long>(den)};
    }
    request.target.channels = audio == "none"     ? 0
                              : audio == "mono"   ? 1
                              : audio == "stereo" ? 2
                                                  : static_cast<A_short>(std::stoi(audio));
    request.target.sound_encoding = kSampleFormats.at(sample_format).first;
    request.target.sample_size = kSampleFormats.at(sample_format).second;
    request.keep_audio = false;
    if (world_format == "argb") request.world_format = PF_PixelFormat_ARGB32;
    if (world_format == "ae16") request.world_format = PF_PixelFormat_ARGB64;
    if (world_format == "ae32") request.world_format = PF_PixelFormat_ARGB128;
    for (const std::string& failure : failures) {
      const size_t eq = failure.find('=');
      A_Err* field = query_error(request.target, failure.substr(0, eq));
      if (field == nullptr) throw CLI::ValidationError("--fail", "unknown query " + failure);
      *field = eq == std::string::npos ? 1 : std::stoi(failure.substr(eq + 1));
    }

    orvex_sim::Plugin plugin(plugin_path);
    Host host;
    for (const std::string& name : missing_suites) host.faults.missing_suites.insert(name);
    for (const std::string& trap : traps) {
      const size_t colon = trap.rfind(':');
      if (colon == std::string::npos) throw CLI::ValidationError("--trap", "expected SUITE:SLOT");
      host.faults.trapped_slots.insert({trap.substr(0, colon), std::stoi(trap.substr(colon + 1))});
    }
    const A_Err entry_err = host.enter(plugin.entry_point());
    if (entry_err) {
      std::cout << "EntryPointFunc: " << entry_err << "\n";
      return 1;
    }
    const orvex_sim::RenderResult result = orvex_sim::run_render(host, request);
    size_t frames_ok = 0;
    for (A_Err e : result.frame_results) frames_ok += e == 0;
    std::cout << std::flush;
    std::fflush(stdout);
    std::cout << "description: " << result.description << "depths: " << result.depth_flags << "\n"
              << "start adding: " << result.start << "\n"
              << "frames added: " << frames_ok << " of " << request.frames << "\n";
    for (size_t i = 0; i < result.frame_results.size(); ++i)
      if (result.frame_results[i])
        std::cout << "add frame " << i << ": " << result.frame_results[i] << "\n";
    for (size_t i = 0; i < result.sound_results.size(); ++i)
      if (result.sound_results[i])
        std::cout << "add sound chunk " << i << ": " << result.sound_results[i] << "\n";
    if (result.started() && !request.abandon) std::cout << "end adding: " << result.end << "\n";
    const A_Err death_err = request.abandon ? A_Err_NONE : host.call_death_hook();
    if (death_err) std::cout << "death hook: " << death_err << "\n";
    print_host_state(host);
    return result.all_ok() && death_err == 0 && host.misuse.empty() ? 0 : 1;
  } catch (const CLI::Error& e) {
    return app.exit(e);
  } catch (const std::exception& e) {
    std::cerr << "orvex-host-sim: error: " << e.what() << "\n";
    return 1;
  }
}

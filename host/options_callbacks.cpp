// Host callbacks around the options record: create, flatten, dispose, describe, accepted
// depths, and the depth fix-up when the output settings change. They only fetch, allocate,
// lock and unlock the host's handles; the record logic is in options_record.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/callbacks.h"
#include "host/host_suites_access.h"
#include "host/options_record.h"

namespace orvex_host {
namespace {

using IoOut = AcquiredSuite<AEGP_IOOutSuite7>;
using Memory = AcquiredSuite<AEGP_MemorySuite1>;
using Ansi = AcquiredSuite<PF_ANSICallbacksSuite1>;

void log_line(const char* text) {
  std::printf("%s\n", text);
}

bool is_known_depth(A_short depth) {
  return depth == 24 || depth == 32 || depth == 48 || depth == 64;
}

}  // namespace

A_Err AEIO_InitOutputSpec(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                          A_Boolean* user_interacted) noexcept {
  return host_guard(A_Err_GENERIC, [&]() -> A_Err {
    if (user_interacted) *user_interacted = 0;
    IoOut io(basic_dataP);
    Memory memory(basic_dataP);

    AEGP_MemHandle options = nullptr;
    A_Err err = memory->AEGP_NewMemHandle(basic_dataP->aegp_plug_id, "Output Options",
                                          kOutputOptionsSize, AEGP_MemFlag_CLEAR, &options);
    if (err) return err;
    AEIO_Handle previous = nullptr;
    err = io->AEGP_SetOutSpecOptionsHandle(outH, options, &previous);
    if (err) {
      // Not installed: nobody else would ever free it.
      memory->AEGP_FreeMemHandle(options);
      return err;
    }

    HandleLock record(memory.get(), options);
    if (record.error()) return record.error();
    if (record.get() == nullptr) return err;
    options_set_defaults(*record.as<OutputOptions>());

    if (previous != nullptr) {
      // The previous record may be a flat copy from a project: it becomes live again.
      HandleLock old_record(memory.get(), previous);
      if (old_record.error() == 0 && old_record.get() != nullptr) {
        old_record.as<OutputOptions>()->flat = 0;
        options_copy_from(*record.as<OutputOptions>(), *old_record.as<OutputOptions>());
      }
      if (!err) err = old_record.error();
      const A_Err unlock_err = old_record.unlock();
      if (!err) err = unlock_err;
      const A_Err free_err = memory->AEGP_FreeMemHandle(previous);
      if (!err) err = free_err;
    }
    const A_Err unlock_err = record.unlock();
    return err ? err : unlock_err;
  });
}

A_Err AEIO_GetFlatOutputOptions(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                                AEIO_Handle* flat_optionsPH) noexcept {
  return host_guard(A_Err_GENERIC, [&]() -> A_Err {
    IoOut io(basic_dataP);
    Memory memory(basic_dataP);

    AEIO_Handle live = nullptr;
    A_Err err = io->AEGP_GetOutSpecOptionsHandle(outH, &live);
    if (err || live == nullptr) {
      log_line("ERR: GetFlatOutputOptions no optionsH");
      return err;
    }
    HandleLock live_record(memory.get(), live);
    if (live_record.error() || live_record.get() == nullptr) {
      log_line("ERR: GetFlatOutputOptions fail lockMem");
      return live_record.error();
    }

    AEGP_MemHandle flat = nullptr;
    err = memory->AEGP_NewMemHandle(basic_dataP->aegp_plug_id, "Flat Options KVR",
                                    kOutputOptionsSize, AEGP_MemFlag_CLEAR, &flat);
    if (err || flat == nullptr) {
      log_line("ERR: GetFlatOutputOptions fail newMem");
      return err;
    }
    {
      HandleLock flat_record(memory.get(), flat);
      if (flat_record.error() || flat_record.get() == nullptr) {
        log_line("ERR: GetFlatOutputOptions fail LockMem");
        err = flat_record.error();
      } else {
        auto& copy = *flat_record.as<OutputOptions>();
        options_set_defaults(copy);
        options_copy_from(copy, *live_record.as<OutputOptions>());
        copy.flat = 1;
        err = flat_record.unlock();
        if (err) log_line("ERR: GetFlatOutputOptions fail unLockMem");
      }
    }
    if (err) {
      // A half-made flat copy is not handed to the host.
      memory->AEGP_FreeMemHandle(flat);
      return err;
    }
    *flat_optionsPH = flat;
    return live_record.unlock();
  });
}

A_Err AEIO_DisposeOutputOptions(AEIO_BasicData* basic_dataP, void* optionsPV) noexcept {
  return host_guard(A_Err_GENERIC, [&]() -> A_Err {
    if (optionsPV == nullptr) return A_Err_NONE;
    Memory memory(basic_dataP);
    return memory->AEGP_FreeMemHandle(static_cast<AEIO_Handle>(optionsPV));
  });
}

A_Err AEIO_GetOutputInfo(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                         AEIO_Verbiage* verbiageP) noexcept {
  return host_guard(A_Err_GENERIC, [&]() -> A_Err {
    IoOut io(basic_dataP);
    Memory memory(basic_dataP);
    Ansi ansi(basic_dataP);

    AEIO_Handle options = nullptr;
    A_Err err = io->AEGP_GetOutSpecOptionsHandle(outH, &options);
    if (err) return err;
    ansi->strcpy(verbiageP->name, "filename");
    ansi->strcpy(verbiageP->type, "Orvex HAP Mov files");

    HandleLock record(memory.get(), options);
    if (options == nullptr || record.error() || record.get() == nullptr) {
      ansi->strcpy(verbiageP->sub_type, "Error");
      return record.error();
    }
    A_short depth = 0;
    if (io->AEGP_GetOutSpecDepth(outH, &depth)) depth = 0;
    const std::string text = options_describe(*record.as<OutputOptions>(), depth);
    const size_t length = std::min(text.size(), sizeof verbiageP->sub_type - 1);
    std::memcpy(verbiageP->sub_type, text.data(), length);
    verbiageP->sub_type[length] = '\0';
    return record.unlock();
  });
}

A_Err AEIO_GetDepths(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                     AEIO_SupportedDepthFlags* which) noexcept {
  return host_guard(A_Err_GENERIC, [&]() -> A_Err {
    IoOut io(basic_dataP);
    Memory memory(basic_dataP);

    AEIO_Handle options = nullptr;
    A_Err err = io->AEGP_GetOutSpecOptionsHandle(outH, &options);
    if (err || options == nullptr) return err;
    HandleLock record(memory.get(), options);
    if (record.error()) return record.error();
    if (record.get() != nullptr) *which = options_supported_depths(*record.as<OutputOptions>());
    return record.unlock();
  });
}

A_Err AEIO_OutputInfoChanged(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH) noexcept {
  return host_guard(A_Err_GENERIC, [&]() -> A_Err {
    IoOut io(basic_dataP);
    Memory memory(basic_dataP);

    // Treated as missing unless the host says otherwise.
    A_Boolean missing = 1;
    A_Err err = io->AEGP_GetOutSpecIsMissing(outH, &missing);
    if (err) return err;
    AEIO_Handle options = nullptr;
    err = io->AEGP_GetOutSpecOptionsHandle(outH, &options);
    if (err) return err;
    HandleLock record(memory.get(), options);
    if (record.error()) return record.error();

    if (!missing && record.get() != nullptr) {
      A_short depth = 0;
      err = io->AEGP_GetOutSpecDepth(outH, &depth);
      if (!err && !is_known_depth(depth)) err = io->AEGP_SetOutSpecDepth(outH, 32);
      if (err) return err;  // the lock is still released
    }
    err = record.unlock();
    if (err || options == nullptr) return err;
    AEIO_Handle same = nullptr;
    return io->AEGP_SetOutSpecOptionsHandle(outH, options, &same);
  });
}

}  // namespace orvex_host

// The options dialog callback: runs the dialog on the five values of the live options record,
// which the host's handle holds locked meanwhile. On Ok the dialog writes the values back into
// the record; the host is told the user changed something exactly then.
#include <cstdint>

#include "host/callbacks.h"
#include "host/host_guard.h"
#include "host/host_suites_access.h"
#include "host/options_dialog.h"
#include "host/options_record.h"

namespace orvex_host {

A_Err AEIO_UserOptionsDialog(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, const PF_EffectWorld*,
                             A_Boolean* user_interacted) noexcept {
  return host_guard(A_Err_GENERIC, [&]() -> A_Err {
    if (user_interacted) *user_interacted = 0;
    AcquiredSuite<AEGP_IOOutSuite7> io(basic_dataP);
    AcquiredSuite<AEGP_MemorySuite1> memory(basic_dataP);

    AEIO_Handle options = nullptr;
    const A_Err err = io->AEGP_GetOutSpecOptionsHandle(outH, &options);
    if (err || options == nullptr) return err;
    HandleLock record(memory.get(), options);
    if (record.error() || record.get() == nullptr) return record.error();

    OutputOptions& o = *record.as<OutputOptions>();
    // The record stores the quality unsigned; the dialog keeps any stored value as it is unless
    // the slider moves, so the round trip through a signed value changes nothing.
    int32_t quality = static_cast<int32_t>(o.quality);
    const int result = run_options_dialog(o.codec, o.snappy, o.chunk_count, quality, o.frame_mode);
    o.quality = static_cast<uint32_t>(quality);
    if (user_interacted) *user_interacted = result == 1;
    return record.unlock();
  });
}

}  // namespace orvex_host

// The options dialog callback. Until the dialog window exists the record is left unchanged and
// the host is told the user did not change anything.
#include "host/callbacks.h"
#include "host/host_guard.h"

namespace orvex_host {

A_Err AEIO_UserOptionsDialog(AEIO_BasicData*, AEIO_OutSpecH, const PF_EffectWorld*,
                             A_Boolean* user_interacted) noexcept {
  return host_guard(A_Err_GENERIC, [&]() -> A_Err {
    if (user_interacted) *user_interacted = 0;
    return A_Err_NONE;
  });
}

}  // namespace orvex_host

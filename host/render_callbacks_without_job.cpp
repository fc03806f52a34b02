// Render callbacks while the render job is not part of the build: every render is refused.
#include "host/callbacks.h"

namespace orvex_host {

A_Err AEIO_StartAdding(AEIO_BasicData*, AEIO_OutSpecH, A_long) noexcept {
  return 9995;
}
A_Err AEIO_AddFrame(AEIO_BasicData*, AEIO_OutSpecH, A_long, A_long, const PF_EffectWorld*,
                    const A_LPoint*, A_Boolean, AEIO_InterruptFuncs*) noexcept {
  return 9988;
}
A_Err AEIO_AddSoundChunk(AEIO_BasicData*, AEIO_OutSpecH, const A_Time*, A_u_long,
                         const void*) noexcept {
  return 9988;
}
A_Err AEIO_EndAdding(AEIO_BasicData*, AEIO_OutSpecH, A_long) noexcept {
  return 0;
}

}  // namespace orvex_host

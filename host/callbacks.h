#pragma once
// The module's callbacks as the table registers them. Each is noexcept and runs its body inside
// host_guard. Not exported: the host reaches them only through the table.
#include "host/host_interface.h"

namespace orvex_host {

// Options record (live handle "Output Options", flat copy "Flat Options KVR").
A_Err ORVEX_HOST_CALL AEIO_InitOutputSpec(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                                          A_Boolean* user_interacted) noexcept;
A_Err ORVEX_HOST_CALL AEIO_GetFlatOutputOptions(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                                                AEIO_Handle* flat_optionsPH) noexcept;
// `optionsPV` is the options handle (an AEIO_Handle) the host is done with.
A_Err ORVEX_HOST_CALL AEIO_DisposeOutputOptions(AEIO_BasicData* basic_dataP,
                                                void* optionsPV) noexcept;
A_Err ORVEX_HOST_CALL AEIO_GetOutputInfo(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                                         AEIO_Verbiage* verbiageP) noexcept;
A_Err ORVEX_HOST_CALL AEIO_GetDepths(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                                     AEIO_SupportedDepthFlags* which) noexcept;
A_Err ORVEX_HOST_CALL AEIO_OutputInfoChanged(AEIO_BasicData* basic_dataP,
                                             AEIO_OutSpecH outH) noexcept;

// Options dialog.
A_Err ORVEX_HOST_CALL AEIO_UserOptionsDialog(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                                             const PF_EffectWorld* sample0,
                                             A_Boolean* user_interacted) noexcept;

// Rendering.
A_Err ORVEX_HOST_CALL AEIO_StartAdding(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                                       A_long flags) noexcept;
A_Err ORVEX_HOST_CALL AEIO_AddFrame(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                                    A_long frame_index, A_long frames, const PF_EffectWorld* wP,
                                    const A_LPoint* origin0, A_Boolean was_compressed,
                                    AEIO_InterruptFuncs* inter0) noexcept;
A_Err ORVEX_HOST_CALL AEIO_AddSoundChunk(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                                         const A_Time* start, A_u_long num_samplesLu,
                                         const void* dataPV) noexcept;
A_Err ORVEX_HOST_CALL AEIO_EndAdding(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                                     A_long flags) noexcept;

}  // namespace orvex_host

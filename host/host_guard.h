#pragma once
// The C boundary: every callback body runs inside host_guard, which turns any exception into a
// host error code, so nothing ever unwinds into the host. HostError carries a host code out of
// nested code (a suite that cannot be acquired, for instance).
#include <exception>

#include "host/host_types.h"

namespace orvex_host {

struct HostError {
  A_Err code;
};

// Runs `body` (returning A_Err) and returns its result; a HostError gives its code, any other
// exception gives `fallback`.
template <class Body>
A_Err host_guard(A_Err fallback, Body&& body) noexcept {
  try {
    return body();
  } catch (const HostError& e) {
    return e.code;
  } catch (...) {
    return fallback;
  }
}

}  // namespace orvex_host

#pragma once
// The host interface as the module sees it: types, the output-module structures and callback
// table, and the suites. Our own declarations of the host's public names; nothing here depends
// on the host's SDK being present.
#include "host/host_module.h"
#include "host/host_suites.h"
#include "host/host_types.h"

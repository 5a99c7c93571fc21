// Everything the effect and its test host share: include this to get the whole host interface.
#pragma once

#include "host/host_entry.h"
#include "host/host_indata.h"
#include "host/host_params.h"
#include "host/host_smart.h"
#include "host/host_suites.h"
#include "host/host_types.h"
#include "host/host_world.h"

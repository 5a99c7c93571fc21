#pragma once
// A kernel header that reaches down into the host: check_layers.sh must reject this tree.
#include "host/host_types.h"

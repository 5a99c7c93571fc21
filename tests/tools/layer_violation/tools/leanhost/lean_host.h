#pragma once
// A lean host header that reaches up into the strict host built on it: check_layers.sh must
// reject this tree.
#include "scenehost/scene_host.h"

#include <type_traits>

#include "records/render_settings.h"

// The snapshot is handed to worker threads by reference and copied nowhere: it must stay a plain,
// trivially copyable record (a compile-time check; the build fails when it stops holding).
static_assert(std::is_trivially_copyable_v<nebulastra::RenderSettings>);

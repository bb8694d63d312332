#include "core/RunMode.h"

volatile std::sig_atomic_t g_runMode = static_cast<std::sig_atomic_t>(RunMode::None);
bool g_modeFailed = false;

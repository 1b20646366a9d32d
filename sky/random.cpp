#include "sky/random.h"

#include "platform/framework/afx_core.h"

namespace sky {

std::uint32_t SecondsNow() { return static_cast<std::uint32_t>(CTime::GetCurrentTime().GetTime()); }

}  // namespace sky

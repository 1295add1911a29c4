// The simulated ID3DXBuffer: a block of bytes owned by the buffer.
#pragma once

#include <string>

#include "sim/d3dx9.h"

namespace sim::detail {

// A buffer holding `text` followed by a NUL byte.
ID3DXBuffer* CreateTextBuffer(const std::string& text);

}  // namespace sim::detail

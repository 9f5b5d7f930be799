// The text of the about box.
#pragma once

#include <string>

namespace framelark {

// Nine lines joined by CR LF, no line break after the last.
std::string AboutText();

}  // namespace framelark

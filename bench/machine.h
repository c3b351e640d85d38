// What the figures were taken on and with: the processor, memory and system
// (Wine's version and its host's, when under Wine), the compiler and build
// type of the bench, and the time of the run.
#pragma once

#include <string>

namespace bench {

std::wstring MachineDescription();
std::wstring CompilerDescription();
// The date and time in UTC, to the minute.
std::wstring Today();

} // namespace bench

#pragma once
// The embedded spreadsheet engine as a spreadsheet host.
#include <memory>

#include "report/host.h"

namespace report {

// A new engine instance; it runs inside the program, so creating one never fails for want of
// an office suite.
std::unique_ptr<Host> createEngineHost();

}  // namespace report

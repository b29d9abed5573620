// Fuzz target of the planner file reader: any bytes are read or refused with a Failure, never a
// crash; a file that is read writes back to bytes that read as the same planner.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/failure.h"
#include "planner/season.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  PlannerData read;
  try {
    read = readPlannerFile(bytes);
  } catch (const Failure&) {
    return 0;
  }
  if (readPlannerFile(plannerFileBytes(read)) != read) std::abort();
  return 0;
}

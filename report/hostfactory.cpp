#include "base/failure.h"
#include "report/enginehost.h"
#include "report/host.h"

namespace report {
namespace {

HostFactory& factorySlot() {
  static HostFactory factory;
  return factory;
}

HostAttacher& attacherSlot() {
  static HostAttacher attacher;
  return attacher;
}

}  // namespace

std::unique_ptr<Host> createHost() {
  if (factorySlot()) return factorySlot()();
  return createEngineHost();
}

void setHostFactory(HostFactory factory) {
  factorySlot() = std::move(factory);
}

std::unique_ptr<Host> attachRunningHost() {
  // The embedded engine runs inside the program: there is never another instance to attach to.
  if (attacherSlot()) return attacherSlot()();
  return nullptr;
}

void setHostAttacher(HostAttacher attacher) {
  attacherSlot() = std::move(attacher);
}

}  // namespace report

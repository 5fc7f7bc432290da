#include "e2e/e2e_settings.h"

namespace vl::e2e {
namespace {

E2eSettings& stored() {
  static E2eSettings settings;
  return settings;
}

}  // namespace

void set_settings(const E2eSettings& settings) { stored() = settings; }
const E2eSettings& settings() { return stored(); }

}  // namespace vl::e2e

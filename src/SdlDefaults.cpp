#include "SdlDefaults.h"

#include <cstdlib>

namespace sdldefaults {

void apply() {
  for (const Default& d : kDefaults) setenv(d.name, d.value, /*overwrite=*/0);
}

}  // namespace sdldefaults

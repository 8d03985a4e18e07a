#include "base/display_values.h"

namespace tarvex {

DisplayValues displayValues;

}  // namespace tarvex

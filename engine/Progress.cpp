#include "Progress.h"

namespace engine {

Progress CurrentProgress;

}  // namespace engine

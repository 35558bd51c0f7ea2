#include "main/page_record.h"

namespace velmora {

Path InPaths[3];
Path OutPaths[3];

} // namespace velmora

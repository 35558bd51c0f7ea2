// Playing the page on screen and whole shows.
#include "main/bitmov2.h"

namespace velmora {

bool TBitMovOptMain::ProjectValid() { return false; }
void TBitMovOptMain::PlayPage2Click() {}
void TBitMovOptMain::PlayAllPages2Click() {}

} // namespace velmora

#include "controls/graber.h"

#include "controls/registry.h"

namespace Vcl {

ZUDOZ_CONTROL_KIND("graber", Kind::Graber, Graber);

}  // namespace Vcl

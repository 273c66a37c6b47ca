#include "ui/core_link.h"

#include "core/interface_text.h"
#include "ui/localisation.h"

void linkInterfaceTextIntoCore() { setInterfaceText({QDLT, QDLL}); }

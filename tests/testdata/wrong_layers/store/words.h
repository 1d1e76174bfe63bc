// A store header that reaches up into the plug-in: the layer check must
// name this file and line.
#include "base/text.h"
#include "plugin/settings.h"

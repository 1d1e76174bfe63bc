// A base header that includes only its own layer and the platform.
#include "base/ascii.h"
#include "platform/sync.h"

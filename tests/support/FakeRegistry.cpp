// The fake is small enough to live in its header.
#include "FakeRegistry.h"

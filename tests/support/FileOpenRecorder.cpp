// The recorder is small enough to live in its header.
#include "FileOpenRecorder.h"

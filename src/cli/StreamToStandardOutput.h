// unpack to standard output, which cannot always take back what went out.
#pragma once

#include "cli/Streaming.h"

namespace streaming {

// The whole picture's bytes reach standard output whichever path gives them.
TPath UnpackToStandardOutput(TStream& input);

} // namespace streaming

// The command line's input module inside a Python process: it reads every format that needs
// Qt. It is looked for beside the extension's own file (the build tree links it there), then
// where the package installs it; /proc/self/exe is python3 and says nothing.
#pragma once

#include "cli/InputModule.h"

// The module, loaded on first use; throws Exception saying why when it cannot be loaded.
const TInputModule& InputModule();

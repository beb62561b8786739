// The command line's input module inside a Python process: it reads every format that needs
// Qt. cli/Input.h finds it beside the extension's own file (the build tree links it there),
// then where the package installs it.
#pragma once

#include "cli/Input.h"
#include "cli/InputModule.h"

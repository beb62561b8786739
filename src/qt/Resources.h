// The program's own resources, embedded through Qt's resource system.
#pragma once

#include "io/Resources.h"

HINSTANCE HInstance();

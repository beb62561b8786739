// Makes the program's embedded resources (pictures, logo, icons) reachable.
#pragma once

void InitAppResources();

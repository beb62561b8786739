// Registers the accessible interfaces of the controls and of the picture view.
#pragma once

void InstallAccessibility();

// Start-up and shut-down of the format units, in a fixed order; main, the CLI and the tests
// call these. Nothing runs in static initialisers.
#pragma once

void InitializeUnits();
void FinalizeUnits();

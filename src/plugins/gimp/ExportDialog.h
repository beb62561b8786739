// The export dialog: which BLZ layout to write.
#pragma once

// Shows the dialog with `streamLayout` preselected; false when the user cancelled.
bool AskLayout(bool& streamLayout);

// Puts a dialog in the middle of the screen, as the program's boxes stand: also when its owner
// is not shown yet (a file named on the command line that fails to load) and whatever the
// window manager would choose.
#pragma once

class QWidget;

// Centres `window` on its screen at its next show, once it has its final size (a message box
// sizes itself to its text only then).
void CentreOnScreenWhenShown(QWidget* window);

// The click emulation of the controls: a left-button press and release at the target's own
// (0, 0), posted so that they arrive after the current event is done.
#pragma once

class QWidget;

void PostClick(QWidget* target);

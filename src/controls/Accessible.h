// What assistive technology learns of the controls: the caption panel is a panel and the
// shadowed label a label, each named by its caption (or by the accessible name its owner
// gives); the picture button is a button that its owner names and that can be pressed.
#pragma once

#include <QString>

// The caption as read aloud: accelerator marks gone, carriage returns made line breaks,
// surrounding blanks trimmed.
QString SpokenCaption(const QString& caption, bool showAccelChar);

// Registers the controls' accessible interfaces with Qt; call once after the application
// object exists.
void InstallControlAccessibility();

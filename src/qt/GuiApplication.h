// Drawing text needs a GUI application (for the font database). Programs without a window
// create one only when a picture first draws text, because starting it costs more than
// decoding a small picture.
#pragma once

// Creates an off-screen GUI application unless one exists. Call it on the main thread, or
// on the main thread before starting threads that may draw text; on any other thread it
// throws Exception saying so.
void EnsureGuiApplication();

// Destroys the application EnsureGuiApplication created, if any; before main returns.
void ShutdownGuiApplication();

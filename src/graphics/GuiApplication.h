// Drawing text needs a GUI application (for the font database). Programs without a window
// create one only when a picture first draws text, because starting it costs more than
// decoding a small picture.
#pragma once

// Creates an off-screen GUI application unless one exists; only the main thread may create
// it. On another thread, after PromiseGuiApplication, it waits until the main thread has.
void EnsureGuiApplication();

// Called on the main thread before it starts threads that may draw text, when it will call
// EnsureGuiApplication itself soon after: their text then waits for that application.
void PromiseGuiApplication();

// Destroys the application EnsureGuiApplication created, if any; before main returns.
void ShutdownGuiApplication();

// The default error report for an exception that no operation handled: a message box with
// the message, the application title as caption, a stop icon and OK.
#pragma once

#include <exception>

class QWidget;

void ShowException(const std::exception& error, QWidget* parent = nullptr);

// Runs `action`; an exception it raises goes to ShowException. Every slot that can throw
// runs its body through this, since Qt does not carry exceptions through its event loop.
template <class Action> void Guarded(QWidget* parent, Action&& action) {
  try {
    action();
  } catch (const std::exception& error) {
    ShowException(error, parent);
  }
}

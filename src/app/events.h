#pragma once
// What the main window's events run. The front ends bind their window's creation and the four buttons
// to these and nothing else.

namespace app {

enum class Button { CreateBackup, Refresh, Restore, Delete };

// The window and its controls exist but it is not shown yet.
void OnMainWindowCreated();

// Runs the button's command to completion. A click that arrives while a command (or the start-up
// listing) is running, through the event handling the listing allows, is ignored.
void OnButtonClicked(Button button);

// True while a command or the start-up work is running.
bool CommandRunning();

} // namespace app

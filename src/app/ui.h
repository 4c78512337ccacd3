#pragma once
// The user-interface services the core calls. Each front end defines them over its own window system;
// the core tests link a scripted fake instead.

#include "app/text.h"

namespace ui {

namespace BackupListView {
void Clear();
int Append(const AppText& text);
int SelectedIndex();
AppText ItemText(int index);
void SelectByPrefix(const AppText& prefix);
} // namespace BackupListView

void ShowMessage(const AppText& text);

struct AskTextResult {
    bool confirmed = false;
    AppText text;
};
AskTextResult AskText(const AppText& title, const AppText& initial);

// Lets the window handle what is queued (repaint, input) in the middle of a long listing.
void ProcessPendingEvents();

// Last words before the process ends on a fatal error: a box captioned "错误" with an error icon.
// Must not allocate through operator new.
void ShowFatalError(const char* utf8Text) noexcept;

} // namespace ui

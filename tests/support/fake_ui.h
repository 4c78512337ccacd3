#pragma once
// The scripted stand-in for a front end: a real list model, recorded messages and AskText answers
// taken from a queue. Core tests link it in place of a window.

#include <functional>
#include <vector>

#include "app/text.h"

namespace fake_ui {

struct AskCall {
    AppText title;
    AppText initial;
};

// Forgets everything: empty list, nothing highlighted, no messages, no queued answers, no hook.
void Reset();

std::vector<AppText>& Items();
int& Selected(); // what BackupListView::SelectedIndex reports; -1 for none

// Highlights the item with exactly this text; false when there is none.
bool Select(const AppText& text);

const std::vector<AppText>& Messages();
const std::vector<AskCall>& AskCalls();

// The next AskText returns this. With nothing queued, AskText is a test failure and returns cancel.
void QueueAnswer(bool confirmed, AppText text = {});

// Runs on every ProcessPendingEvents, i.e. between the entries of a listing.
void OnPendingEvents(std::function<void()> hook);

} // namespace fake_ui

#include "support/fake_ui.h"

#include <deque>

#include <gtest/gtest.h>

#include "app/list_rules.h"
#include "app/ui.h"

namespace fake_ui {
namespace {

struct Model {
    std::vector<AppText> items;
    int selected = -1;
    std::vector<AppText> messages;
    std::vector<AskCall> askCalls;
    std::deque<ui::AskTextResult> answers;
    std::function<void()> pendingEventsHook;
};

Model& M() {
    static Model model;
    return model;
}

} // namespace

void Reset() { M() = Model{}; }
std::vector<AppText>& Items() { return M().items; }
int& Selected() { return M().selected; }

bool Select(const AppText& text) {
    for (std::size_t i = 0; i < M().items.size(); ++i) {
        if (M().items[i] == text) {
            M().selected = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

const std::vector<AppText>& Messages() { return M().messages; }
const std::vector<AskCall>& AskCalls() { return M().askCalls; }
void QueueAnswer(bool confirmed, AppText text) { M().answers.push_back({confirmed, std::move(text)}); }
void OnPendingEvents(std::function<void()> hook) { M().pendingEventsHook = std::move(hook); }

} // namespace fake_ui

namespace ui {

namespace BackupListView {

void Clear() {
    fake_ui::M().items.clear();
    fake_ui::M().selected = -1;
}

int Append(const AppText& text) {
    fake_ui::M().items.push_back(text);
    return static_cast<int>(fake_ui::M().items.size()) - 1;
}

int SelectedIndex() { return fake_ui::M().selected; }

AppText ItemText(int index) {
    const auto& items = fake_ui::M().items;
    if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return {};
    return items[static_cast<std::size_t>(index)];
}

void SelectByPrefix(const AppText& prefix) {
    const int found = app::FindFirstItemWithPrefix(fake_ui::M().items, prefix);
    if (found >= 0) fake_ui::M().selected = found;
}

} // namespace BackupListView

void ShowMessage(const AppText& text) { fake_ui::M().messages.push_back(text); }

AskTextResult AskText(const AppText& title, const AppText& initial) {
    fake_ui::M().askCalls.push_back({title, initial});
    auto& answers = fake_ui::M().answers;
    if (answers.empty()) {
        ADD_FAILURE() << "AskText(\"" << title << "\") called with no answer queued";
        return {};
    }
    AskTextResult answer = answers.front();
    answers.pop_front();
    return answer;
}

void ProcessPendingEvents() {
    if (fake_ui::M().pendingEventsHook) fake_ui::M().pendingEventsHook();
}

void ShowFatalError(const char* utf8Text) noexcept { fake_ui::M().messages.push_back(utf8Text); }

} // namespace ui

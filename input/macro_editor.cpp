#include "input/macro_editor.h"

#include "input/decimal.h"
#include "input/key_tables.h"
#include "input/macro_library.h"

#include <algorithm>

namespace orvel::input {

void MacroEditor::SetEvents(const std::vector<MacroEvent>& events)
{
    rows_.clear();
    for (size_t i = 0; i < events.size() && i < kMacroRowLimit; ++i) {
        rows_.push_back({events[i], std::to_string(events[i].delay)});
    }
    selected_ = -1;
}

void MacroEditor::Select(int row)
{
    selected_ = (row >= 0 && static_cast<size_t>(row) < rows_.size()) ? row : -1;
}

void MacroEditor::SetDelayText(size_t row, std::string text)
{
    if (row < rows_.size()) {
        rows_[row].delayText = std::move(text);
    }
}

void MacroEditor::SetDelay(size_t row, uint16_t delay)
{
    rows_[row].event.delay = delay;
    rows_[row].delayText = std::to_string(delay);
}

std::vector<MacroEvent> MacroEditor::CollectEvents()
{
    std::vector<MacroEvent> events;
    for (size_t i = 0; i < rows_.size(); ++i) {
        SetDelay(i, static_cast<uint16_t>(ParseClamped(rows_[i].delayText, 0, kMaxDelay)));
        events.push_back(rows_[i].event);
    }
    return events;
}

bool MacroEditor::MoveUp()
{
    if (selected_ <= 0) {
        return false;
    }
    std::swap(rows_[size_t(selected_)], rows_[size_t(selected_) - 1]);
    --selected_;
    return true;
}

bool MacroEditor::MoveDown()
{
    if (selected_ < 0 || size_t(selected_) + 1 >= rows_.size()) {
        return false;
    }
    std::swap(rows_[size_t(selected_)], rows_[size_t(selected_) + 1]);
    ++selected_;
    return true;
}

bool MacroEditor::MoveToTop()
{
    if (selected_ <= 0) {
        return false;
    }
    std::rotate(rows_.begin(), rows_.begin() + selected_, rows_.begin() + selected_ + 1);
    selected_ = 0;
    return true;
}

bool MacroEditor::MoveToBottom()
{
    if (selected_ < 0 || size_t(selected_) + 1 >= rows_.size()) {
        return false;
    }
    std::rotate(rows_.begin() + selected_, rows_.begin() + selected_ + 1, rows_.end());
    selected_ = static_cast<int>(rows_.size()) - 1;
    return true;
}

bool MacroEditor::DeleteSelected()
{
    if (selected_ < 0) {
        return false;
    }
    rows_.erase(rows_.begin() + selected_);
    selected_ = -1;
    return true;
}

void MacroEditor::DeleteAll()
{
    rows_.clear();
    selected_ = -1;
}

bool MacroEditor::Insert(size_t at, const MacroEvent& event)
{
    if (rows_.size() >= kMacroRowLimit) {
        return false;
    }
    at = std::min(at, rows_.size());
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), {event, std::to_string(event.delay)});
    return true;
}

bool MacroEditor::InsertMouseButton(uint8_t buttonMask, ClickKind kind, uint16_t constantDelay)
{
    size_t at = selected_ >= 0 ? size_t(selected_) + 1 : std::min<size_t>(1, rows_.size());
    const bool press = kind != ClickKind::Release;
    const bool release = kind != ClickKind::Press;
    if (rows_.size() + (press && release ? 2 : 1) > kMacroRowLimit) {
        return false;
    }
    if (press) {
        Insert(at, {true, eventtype::kMouseButton, buttonMask, constantDelay});
        selected_ = static_cast<int>(at++);
    }
    if (release) {
        Insert(at, {false, eventtype::kMouseButton, buttonMask, constantDelay});
        selected_ = static_cast<int>(at);
    }
    return true;
}

bool MacroEditor::InsertMove(MoveDirection direction, std::string& distanceText, uint16_t constantDelay)
{
    const auto distance = static_cast<uint8_t>(ParseClamped(distanceText, 0, 255));
    distanceText = std::to_string(distance);
    const bool horizontal = direction == MoveDirection::Left || direction == MoveDirection::Right;
    const bool down = direction == MoveDirection::Left || direction == MoveDirection::Up;
    const MacroEvent event {down, horizontal ? eventtype::kMoveHorizontal : eventtype::kMoveVertical, distance, constantDelay};
    const size_t at = selected_ >= 0 ? size_t(selected_) + 1 : std::min<size_t>(1, rows_.size());
    if (!Insert(at, event)) {
        return false;
    }
    selected_ = static_cast<int>(at);
    return true;
}

void MacroEditor::StartRecording(TimeMode mode, uint16_t constantDelay, uint64_t tickMs)
{
    recording_ = true;
    mode_ = mode;
    constantDelay_ = mode == TimeMode::Constant ? constantDelay : 0;
    lastTick_ = tickMs;
    recordedSinceStart_ = false;
    lastKeyDown_.reset();
    lastMouse_.reset();
}

void MacroEditor::StopRecording()
{
    recording_ = false;
}

uint16_t MacroEditor::RecordedDelay(uint64_t tickMs) const
{
    switch (mode_) {
    case TimeMode::Record: {
        const uint64_t elapsed = tickMs >= lastTick_ ? tickMs - lastTick_ : 0;
        return static_cast<uint16_t>(std::min<uint64_t>(elapsed, kMaxDelay));
    }
    case TimeMode::Constant:
        return constantDelay_;
    case TimeMode::Ignore:
        break;
    }
    return 0;
}

RecordedRow MacroEditor::Record(Placement placement, MacroEvent event, uint64_t tickMs)
{
    const uint16_t delay = RecordedDelay(tickMs);
    event.delay = (mode_ == TimeMode::Constant && !rows_.empty()) ? constantDelay_ : 0;
    const bool hasSelection = selected_ >= 0 && size_t(selected_) < rows_.size();
    RecordedRow row;
    if (placement == Placement::Replace) {
        if (!hasSelection) {
            return std::nullopt;
        }
        MacroEvent& target = rows_[size_t(selected_)].event;
        target.type = event.type;
        target.button = event.button;
        row = size_t(selected_);
    } else if (placement == Placement::Before && hasSelection) {
        const size_t at = size_t(selected_);
        if (!Insert(at, event)) {
            return std::nullopt;
        }
        if (at > 0) {
            SetDelay(at - 1, delay);
        }
        selected_ = static_cast<int>(at + 1);
        row = at;
    } else if (placement == Placement::After && hasSelection) {
        const size_t at = size_t(selected_) + 1;
        if (!Insert(at, event)) {
            return std::nullopt;
        }
        // Rows recorded one after another keep the time between them, as when appending.
        if (recordedSinceStart_) {
            SetDelay(at - 1, delay);
        }
        selected_ = static_cast<int>(at);
        row = at;
    } else {
        if (!Insert(rows_.size(), event)) {
            return std::nullopt;
        }
        const size_t at = rows_.size() - 1;
        if (recordedSinceStart_ && at > 0) {
            SetDelay(at - 1, delay);
        }
        selected_ = static_cast<int>(at);
        row = at;
    }
    recordedSinceStart_ = true;
    lastTick_ = tickMs;
    return row;
}

RecordedRow MacroEditor::RecordKey(Placement placement, uint8_t scanCode, bool extended, bool down, uint64_t tickMs)
{
    if (!recording_) {
        return std::nullopt;
    }
    const std::pair<uint8_t, bool> key {scanCode, extended};
    if (down && lastKeyDown_ == key) {
        return std::nullopt; // auto-repeat
    }
    if (!down && lastKeyDown_ == key) {
        lastKeyDown_.reset();
    }
    const auto index = FindKeyByScanCode(scanCode, extended);
    if (!index) {
        return std::nullopt;
    }
    const AssignmentCode code = KeyTable()[*index].code;
    MacroEvent event;
    event.down = down;
    if (*index < kModifierCount) {
        event.type = eventtype::kModifier;
        event.button = code.b1;
    } else {
        event.type = eventtype::kKey;
        event.button = code.b2;
    }
    const RecordedRow row = Record(placement, event, tickMs);
    if (row && down) {
        lastKeyDown_ = key;
    }
    return row;
}

RecordedRow MacroEditor::RecordMouse(Placement placement, MouseMessage message, int xButton, bool insideStopButton,
                                     uint64_t tickMs)
{
    if (!recording_) {
        return std::nullopt;
    }
    const auto event = MouseButtonEvent(message, xButton);
    if (!event) {
        return std::nullopt;
    }
    const std::pair<MouseMessage, int> seen {message, event->button};
    if (lastMouse_ == seen) {
        return std::nullopt;
    }
    const bool left = message == MouseMessage::LButtonDown || message == MouseMessage::LButtonUp;
    if (left && insideStopButton) {
        return std::nullopt;
    }
    const RecordedRow row = Record(placement, *event, tickMs);
    if (row) {
        lastMouse_ = seen;
    }
    return row;
}

} // namespace orvel::input

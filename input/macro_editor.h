#pragma once
// The rows of the macro editor and the recording rules, without the list control: the panel
// shows Rows() (one row per event with its delay edit text) and Selected(), and forwards
// clicks, menu items and hook events here.

#include "input/macro_event.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvel::input {

struct MacroRow {
    MacroEvent event;
    std::string delayText; // the row's delay edit, the authority for the delay when saving

    friend bool operator==(const MacroRow&, const MacroRow&) = default;
};

enum class TimeMode { Record = 1, Constant = 2, Ignore = 3 };

// Where recorded events go; the values are the hook modes installed for them.
enum class Placement { Append = 4, Before = 8, After = 16, Replace = 32 };

enum class MoveDirection { Left, Right, Up, Down };
enum class ClickKind { Press, Release, Click };

// The result of one hook event: the row it added or changed, if any.
using RecordedRow = std::optional<size_t>;

class MacroEditor {
public:
    // Replaces the rows with the events of a macro (at most 4000).
    void SetEvents(const std::vector<MacroEvent>& events);
    const std::vector<MacroRow>& Rows() const { return rows_; }
    int Selected() const { return selected_; }
    void Select(int row);
    void SetDelayText(size_t row, std::string text);

    // The events to save: each delay edit is read as a number (empty reads 0), clamped to
    // 0-65535 and written back into its edit.
    std::vector<MacroEvent> CollectEvents();

    bool MoveUp();
    bool MoveDown();
    bool MoveToTop();
    bool MoveToBottom();
    bool DeleteSelected();
    void DeleteAll();

    // Inserts after the selected row (after the first row when none is selected, first in an
    // empty list) and selects it; the inserted rows get the constant delay.
    bool InsertMouseButton(uint8_t buttonMask, ClickKind kind, uint16_t constantDelay);
    // The distance typed in the move edit is clamped to 0-255 and written back.
    bool InsertMove(MoveDirection direction, std::string& distanceText, uint16_t constantDelay);

    void StartRecording(TimeMode mode, uint16_t constantDelay, uint64_t tickMs);
    void StopRecording();
    bool Recording() const { return recording_; }

    RecordedRow RecordKey(Placement placement, uint8_t scanCode, bool extended, bool down, uint64_t tickMs);
    // insideStopButton: the click is on "macro_btn_stopredio" (left button only is ignored).
    RecordedRow RecordMouse(Placement placement, MouseMessage message, int xButton, bool insideStopButton, uint64_t tickMs);

private:
    bool Insert(size_t at, const MacroEvent& event);
    RecordedRow Record(Placement placement, MacroEvent event, uint64_t tickMs);
    uint16_t RecordedDelay(uint64_t tickMs) const;
    void SetDelay(size_t row, uint16_t delay);

    std::vector<MacroRow> rows_;
    int selected_ = -1;

    bool recording_ = false;
    TimeMode mode_ = TimeMode::Record;
    uint16_t constantDelay_ = 0;
    uint64_t lastTick_ = 0;
    bool recordedSinceStart_ = false;
    std::optional<std::pair<uint8_t, bool>> lastKeyDown_;
    std::optional<std::pair<MouseMessage, int>> lastMouse_;
};

} // namespace orvel::input

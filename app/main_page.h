#pragma once
// CMainPage: the notification pump of the virtual window "mainpage".

#include "ui/UIlib.h"

namespace orvel::app {

// A pump whose "click", "selectchanged" and "itemclick" handlers do nothing: controls that
// name the virtual window "mainpage" end there.
class CMainPage : public DuiLib::CNotifyPump {
public:
    DUI_DECLARE_MESSAGE_MAP()
    void OnNothing(DuiLib::TNotifyUI&) {}
};

} // namespace orvel::app

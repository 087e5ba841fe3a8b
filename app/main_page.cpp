#include "app/main_page.h"

namespace orvel::app {

using namespace DuiLib;

DUI_BEGIN_MESSAGE_MAP(CMainPage, CNotifyPump)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, CMainPage::OnNothing)
DUI_ON_MSGTYPE(DUI_MSGTYPE_SELECTCHANGED, CMainPage::OnNothing)
DUI_ON_MSGTYPE(DUI_MSGTYPE_ITEMCLICK, CMainPage::OnNothing)
DUI_END_MESSAGE_MAP()

} // namespace orvel::app

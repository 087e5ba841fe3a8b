#include "input/qt/input_panels.h"

#include "devices/qt/page_controls.h"
#include "input/qt/keyset_control.h"
#include "input/qt/macro_control.h"
#include "input/qt/shoot_control.h"

namespace orvel::input {
namespace {

template <typename T>
DuiLib::CControlUI* Make()
{
    return new T;
}

} // namespace

void RegisterInputPanels()
{
    pages::RegisterPanelClass(L"KeySetControl", &Make<CKeySetControlUI>);
    pages::RegisterPanelClass(L"MacroControl", &Make<CMacroControlUI>);
    pages::RegisterPanelClass(L"ShootControl", &Make<CShootControlUI>);
}

} // namespace orvel::input

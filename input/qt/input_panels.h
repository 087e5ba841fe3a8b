#pragma once
// The panel classes of the input issue (key set, macros, shoot data), registered with the
// device pages' panel seam at start-up.

namespace orvel::input {

void RegisterInputPanels();

} // namespace orvel::input

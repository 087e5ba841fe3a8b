#pragma once
// The program as a user starts it: fonts, the single-instance rule, the skin, the control
// classes, the main window and its message loop, and the order everything goes in at the end.
//
//   varno-orvel-80                      the window (a second start brings the first forward)
//   varno-orvel-80 --screenshot FOLDER  writes the main window with each page, at 96 and 144
//                                       DPI and in every language, to PNG files, then ends
//
// Exit codes: 0 done (also the hand-off of a second start); 1 the skin, the window or the
// message registry could not be set up; 2 a wrong command line.

#include <string>
#include <vector>

namespace orvel::app {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

int RunProgram(int argc, char** argv);

// What is wrong with the skin folder for this program, or empty when nothing is: the folder,
// res.xml, and every layout the program opens must exist and read as XML.
std::string CheckSkin(const std::string& skinFolder);

// Points the toolkit at the skin folder (with its res.xml) and registers every control class;
// what is wrong with the skin when that failed, else empty.
std::string SetUpToolkit(const std::string& skinFolder);

} // namespace orvel::app

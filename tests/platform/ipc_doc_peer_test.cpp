// docs/ipc.md must be enough to write a peer in another language: its Python example, run as
// it stands, finds a window and gets its answer.
#include "tests/support/child_process.h"
#include "tests/support/file_text.h"
#include "tests/support/peer_window.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orvel::ipc {
namespace {

// The first ```python block of the page.
std::string PythonExample(const std::string& page)
{
    const std::string open = "```python\n";
    const auto start = page.find(open);
    if (start == std::string::npos)
        return {};
    const auto end = page.find("```", start + open.size());
    return end == std::string::npos ? std::string() : page.substr(start + open.size(), end - start - open.size());
}

TEST(IpcDocument, ItsPythonPeerSendsToTheMainWindow)
{
    if (std::system("command -v python3 >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs python3";
    testing::TempFolder temp;
    temp.setEnv("XDG_RUNTIME_DIR", temp.path().string());
    const std::string example = PythonExample(testing::FileText(testing::SourceFolder() / "docs" / "ipc.md"));
    ASSERT_FALSE(example.empty()) << "docs/ipc.md has no python example";
    testing::WriteText(temp / "peer.py", example);

    const auto alone = testing::RunProgram({"python3", (temp / "peer.py").string()}, temp.path());
    EXPECT_EQ(alone.code, 1);
    EXPECT_NE(alone.err.find("no VARNO Orvel 80 window runs"), std::string::npos) << alone.err;

    const UINT game = RegisterWindowMessageW(L"Game_Start");
    {
        testing::PeerWindow other(L"MainWnd", L"other title");
        testing::PeerWindow window(L"MainWnd", L"VARNO Orvel 80", std::vector<std::wstring>{L"Game_Start"});
        window.SetAnswer([](UINT, WPARAM w, LPARAM l) { return static_cast<LRESULT>(w * 100 + l * 10 + 7); });
        const auto ran = testing::RunProgram({"python3", (temp / "peer.py").string()}, temp.path());
        EXPECT_EQ(ran.code, 0) << ran.err;
        EXPECT_EQ(ran.out, "37\n");
        const auto got = window.Received(game);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].wParam, 0u);
        EXPECT_EQ(got[0].lParam, 3);
        EXPECT_TRUE(other.Received(0, 1, std::chrono::milliseconds(0)).empty());
    }
}

} // namespace
} // namespace orvel::ipc

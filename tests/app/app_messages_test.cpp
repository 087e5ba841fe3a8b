#include "app/app_messages.h"
#include "app/instance.h"
#include "platform/ipc.h"
#include "tests/support/peer_window.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <set>
#include <thread>

namespace orvel::app {
namespace {

TEST(ProgramMessages, SixRegisteredNumbersOfTheirOwnThatStayTheSame)
{
    const RegisteredMessages& m = RegisterProgramMessages();
    const std::set<UINT> numbers{m.instance, m.updateStatus, m.lightOwner, m.lightControl, m.workToolQuery,
                                 m.audioRecord};
    EXPECT_EQ(numbers.size(), 6u);
    for (UINT n : numbers) {
        EXPECT_GE(n, 0xC000u);
        EXPECT_LE(n, 0xFFFFu);
    }
    EXPECT_EQ(winmsg::MessageName(m.instance), L"VARNO Orvel 80");
    EXPECT_EQ(winmsg::MessageName(m.audioRecord), L"{4695579F-999A-41d4-9FAF-EFFCE93EBE19}");
    EXPECT_EQ(RegisterWindowMessageW(kLightOwnerMessageName), m.lightOwner);
    EXPECT_EQ(&RegisterProgramMessages(), &m);
}

TEST(ProgramMessages, OnlyHookAndGameMessagesWaitForTheSystemToWake)
{
    RegisterProgramMessages();
    struct Case {
        UINT message;
        bool gated;
    };
    const Case cases[] = {
        {RegisterWindowMessageW(L"Game_Start"), true},
        {RegisterWindowMessageW(L"Game_Death"), true},
        {RegisterWindowMessageW(L"WM_HOOK_KEY_MSMACRO_MSG"), true},
        {RegisterWindowMessageW(L"UWM_MOUSEMOVE_USER_MSG"), true},
        {RegisterProgramMessages().instance, false},
        {RegisterProgramMessages().lightControl, false},
        {RegisterWindowMessageW(L"some other program's message"), false},
        {3090, false}, // device attach
        {WM_TIMER, false},
        {WM_TRAY_NOTIFY, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsAwakeGated(c.message), c.gated) << winmsg::MessageName(c.message).size() << " " << c.message;
}

TEST(Instance, ASecondStartFindsTheFirstAndHandsOver)
{
    testing::TempFolder temp;
    temp.setEnv("XDG_RUNTIME_DIR", temp.path().string());
    RegisterProgramMessages();
    EXPECT_FALSE(InstanceRuns());
    EXPECT_EQ(BringRunningInstanceForward(), 0);

    ipc::NamedMutex first = TakeInstanceLock();
    ASSERT_EQ(first.status(), ipc::NamedMutex::Status::Created);
    testing::PeerWindow window(L"MainWnd", L"VARNO Orvel 80");
    EXPECT_TRUE(InstanceRuns());
    EXPECT_EQ(TakeInstanceLock().status(), ipc::NamedMutex::Status::AlreadyExists);

    EXPECT_GE(BringRunningInstanceForward(), 1);
    const auto got = window.Received(RegisterProgramMessages().instance);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].wParam, 0u);
    EXPECT_EQ(got[0].lParam, 1);
}

} // namespace
} // namespace orvel::app

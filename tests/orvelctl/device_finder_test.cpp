// Finding devices over a scripted HID bus, the refusal while the window runs, and "show".

#include "app/app_messages.h"
#include "app/instance.h"
#include "platform/namedmutex.h"
#include "run_capture.h"
#include "tests/support/peer_window.h"
#include "tests/support/temp_folder.h"
#include "tools/orvelctl/device_finder.h"

#include <gtest/gtest.h>

#include <map>

namespace orvel::ctl {
namespace {

using testing::RunCtl;

// A HID bus of fixed interfaces: path -> identity and usage.
class ScriptedProbe : public IHidProbe {
public:
    void Add(const std::string& path, std::uint16_t vid, std::uint16_t pid, std::uint16_t page, std::uint16_t usage)
    {
        interfaces_[path] = {vid, pid, page, usage};
    }
    bool Enumerate(std::vector<std::string>& paths) override
    {
        if (fail)
            return false;
        for (const auto& [path, info] : interfaces_)
            paths.push_back(path);
        return true;
    }
    bool Probe(const std::string& path, ProbeInfo& info) override
    {
        const auto found = interfaces_.find(path);
        if (found == interfaces_.end())
            return false;
        info = found->second;
        return true;
    }
    bool IsPresent(const std::string& path) override { return interfaces_.count(path) != 0; }
    bool fail = false;

private:
    std::map<std::string, ProbeInfo> interfaces_;
};

// Command and notification collections of interface 1, plus the boot interface 0.
void AddDevice(ScriptedProbe& probe, const std::string& name, std::uint16_t vid, std::uint16_t pid)
{
    char id[64];
    std::snprintf(id, sizeof id, "#vid_%04x&pid_%04x", vid, pid);
    probe.Add("vhid:/v/" + name + ".if1.sock" + id + "&mi_01&col04", vid, pid, 0xFF1C, 0x92);
    probe.Add("vhid:/v/" + name + ".if1.sock" + id + "&mi_01&col03", vid, pid, 0x000C, 0x01);
    probe.Add("vhid:/v/" + name + ".if0.sock" + id + "&mi_00", vid, pid, 0x0001, 0x02);
}

TEST(OrvelctlFindDevices, CableAndReceiverOfOneDeviceAreOneEntry)
{
    ScriptedProbe probe;
    AddDevice(probe, "mouse", 0x320F, 0x221C);
    AddDevice(probe, "mouse-receiver", 0x320F, 0x221D);
    AddDevice(probe, "keyboard-receiver", 0x320F, 0x5088);
    AddDevice(probe, "mousepad", 0x320F, 0x1004);
    probe.Add("vhid:/v/headset.if3.sock#vid_0c76&pid_1630&mi_03", 0x0C76, 0x1630, 0x000C, 0x01);
    // Wrong usage on a matching path: not ours.
    probe.Add("vhid:/v/odd.if1.sock#vid_320f&pid_221c&mi_01&col04x", 0x320F, 0x221C, 0x0001, 0x02);

    std::vector<FoundDevice> devices;
    ASSERT_TRUE(FindDevices(probe, devices));
    ASSERT_EQ(devices.size(), 4u);
    EXPECT_EQ(DeviceNameText(devices[0].name), "mouse");
    EXPECT_FALSE(devices[0].ViaReceiver());
    EXPECT_NE(devices[0].cablePath.find("mouse.if1"), std::string::npos);
    EXPECT_NE(devices[0].receiverPath.find("mouse-receiver.if1"), std::string::npos);
    EXPECT_EQ(devices[0].productId, 0x221C);
    EXPECT_EQ(DeviceNameText(devices[1].name), "keyboard");
    EXPECT_TRUE(devices[1].ViaReceiver());
    EXPECT_EQ(devices[1].productId, 0x5088);
    EXPECT_NE(devices[1].CommandPath().find("col04"), std::string::npos);
    EXPECT_EQ(DeviceNameText(devices[2].name), "MousePad");
    EXPECT_EQ(DeviceNameText(devices[3].name), "HD");
}

TEST(OrvelctlFindDevices, SecondDeviceOfAKindGetsAnIndex)
{
    ScriptedProbe probe;
    AddDevice(probe, "a", 0x320F, 0x5055);
    AddDevice(probe, "b", 0x320F, 0x5055);
    std::vector<FoundDevice> devices;
    ASSERT_TRUE(FindDevices(probe, devices));
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(DeviceNameText(devices[0].name), "keyboard");
    EXPECT_EQ(DeviceNameText(devices[1].name), "keyboard:2");
    EXPECT_NE(devices[1].cablePath.find("/b.if1"), std::string::npos);
}

TEST(OrvelctlFindDevices, EmptyBusAndFailedListing)
{
    ScriptedProbe probe;
    const Environment env{&probe, [] { return false; }};
    const auto empty = RunCtl({"list"}, env);
    EXPECT_EQ(empty.code, kExitOk);
    EXPECT_NE(empty.out.find("No VARNO Orvel 80 device found"), std::string::npos);
    const auto json = RunCtl({"list", "--json"}, env);
    EXPECT_NE(json.out.find("\"devices\" : []"), std::string::npos) << json.out;

    const auto absent = RunCtl({"status", "mouse"}, env);
    EXPECT_EQ(absent.code, kExitFailed);
    EXPECT_NE(absent.err.find("mouse: not connected"), std::string::npos);

    probe.fail = true;
    const auto failed = RunCtl({"list"}, env);
    EXPECT_EQ(failed.code, kExitFailed);
    EXPECT_NE(failed.err.find("could not be listed"), std::string::npos);
}

TEST(OrvelctlFindDevices, DeviceAccessIsRefusedWhileTheWindowRuns)
{
    ScriptedProbe probe;
    AddDevice(probe, "mouse", 0x320F, 0x221C);
    const Environment env{&probe, [] { return true; }};
    for (const auto& words : std::vector<std::vector<std::string>>{{"list"}, {"status", "mouse"}}) {
        const auto result = RunCtl(words, env);
        EXPECT_EQ(result.code, kExitFailed) << words[0];
        EXPECT_NE(result.err.find("window is running"), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty());
    }
}

TEST(OrvelctlFindDevices, TheWindowsInstanceMutexIsWhatRefuses)
{
    testing::TempFolder runtime;
    std::filesystem::permissions(runtime.path(), std::filesystem::perms::owner_all);
    runtime.setEnv("XDG_RUNTIME_DIR", runtime.path().string());
    ScriptedProbe probe;
    const Environment env{&probe, {}};
    EXPECT_EQ(RunCtl({"list"}, env).code, kExitOk);
    {
        const auto window = ipc::NamedMutex::CreateMutexW("VARNO Orvel 80");
        ASSERT_TRUE(window.owned()) << window.error();
        const auto refused = RunCtl({"list"}, env);
        EXPECT_EQ(refused.code, kExitFailed);
        EXPECT_NE(refused.err.find("window is running"), std::string::npos);
    }
    EXPECT_EQ(RunCtl({"list"}, env).code, kExitOk);
}

TEST(OrvelctlFindDevices, ShowHandsOverToTheRunningWindowAsASecondStartDoes)
{
    testing::TempFolder runtime;
    std::filesystem::permissions(runtime.path(), std::filesystem::perms::owner_all);
    runtime.setEnv("XDG_RUNTIME_DIR", runtime.path().string());
    ScriptedProbe probe;
    const Environment env{&probe, {}};
    const auto none = RunCtl({"show"}, env);
    EXPECT_EQ(none.code, kExitFailed);
    EXPECT_NE(none.err.find("no VARNO Orvel 80 window runs"), std::string::npos) << none.err;

    const auto instance = app::TakeInstanceLock();
    ASSERT_TRUE(instance.owned()) << instance.error();
    const auto silent = RunCtl({"show"}, env);
    EXPECT_EQ(silent.code, kExitFailed);
    EXPECT_NE(silent.err.find("does not answer"), std::string::npos) << silent.err;

    testing::PeerWindow window(L"MainWnd", L"VARNO Orvel 80");
    const auto shown = RunCtl({"show"}, env);
    EXPECT_EQ(shown.code, kExitOk) << shown.err;
    const auto got = window.Received(app::RegisterProgramMessages().instance);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].lParam, 1);
}

} // namespace
} // namespace orvel::ctl

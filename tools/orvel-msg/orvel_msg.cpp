#include "tools/orvel-msg/orvel_msg.h"

#include "app/app_messages.h"
#include "app/window_rules.h"
#include "devicelink/device_tables.h"
#include "platform/ipc.h"
#include "platform/runtimefolder.h"
#include "platform/text.h"
#include "profiles/jsonfile.h"
#include "tools/orvel-msg/message_names.h"
#include "tools/orvel-msg/worktool_answer.h"
#include "tools/orvelctl/command_line.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <iomanip>
#include <json/json.h>
#include <memory>
#include <optional>
#include <utility>

namespace orvel::msgtool {
namespace {

using ctl::kExitFailed;
using ctl::kExitOk;
using ctl::kExitUsage;
using Clock = std::chrono::steady_clock;

constexpr std::wstring_view kToolClass = L"orvel-msg";
constexpr std::wstring_view kListenTitle = L"orvel-msg listen";

constexpr std::string_view kUsage =
    "Usage:\n"
    "  orvel-msg send NAME [WPARAM [LPARAM]]    send to the window and print its answer\n"
    "  orvel-msg post NAME [WPARAM [LPARAM]]    queue at the window, without waiting\n"
    "  orvel-msg broadcast NAME [WPARAM [LPARAM]]  post to every window of the user's programs\n"
    "  orvel-msg worktool [--json]              ask for the device-kind table and print it\n"
    "  orvel-msg listen [NAME...]               print the messages that reach it until Ctrl+C\n"
    "  orvel-msg --help | COMMAND --help\n";

constexpr std::string_view kDetails =
    "\n"
    "WPARAM and LPARAM are numbers (decimal, or hexadecimal after 0x; LPARAM may be\n"
    "negative); both default to 0. send and post reach the VARNO Orvel 80 main window, or\n"
    "the one given with --title TEXT and --class NAME (an empty text matches any);\n"
    "send waits --timeout MS (default 2000) for the answer.\n"
    "\n"
    "NAME is a registered message's name, or one of these short names (any case):\n";

constexpr std::string_view kGameHelp =
    "\n"
    "Game events act on the keyboard or mouse page shown: WPARAM 0 shows light mode LPARAM\n"
    "and remembers the mode to go back to, 1 and 2 show it without remembering; five seconds\n"
    "after the last event the page goes back. Any other WPARAM, or a mode the device does not\n"
    "have, is ignored.\n"
    "\n"
    "listen prints one line per message: NAME WPARAM LPARAM (a data block as\n"
    "WM_COPYDATA DWDATA SIZE HEX). Without NAMEs it listens for every name above.\n"
    "\n"
    "Exit status: 0 done; 1 no window runs, the message was refused or not answered in time;\n"
    "2 wrong command line. docs/ipc.md describes the messages and their wire format.\n";

void printHelp(std::ostream& out)
{
    out << "orvel-msg - send and receive VARNO Orvel 80's window messages\n\n" << kUsage << kDetails;
    for (const KnownMessage& m : KnownMessages())
        out << "  " << std::left << std::setw(16) << m.shortName << m.meaning << "\n";
    out << kGameHelp;
}

// A 64-bit number: decimal (negative too) or hexadecimal after 0x; its bits as they travel.
bool parseWord(const std::string& text, std::uint64_t& value)
{
    const bool negative = !text.empty() && text[0] == '-';
    std::string_view digits(text);
    if (negative)
        digits.remove_prefix(1);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        base = 16;
    }
    std::uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size())
        return false;
    if (negative && magnitude > (std::uint64_t{1} << 63))
        return false;
    value = negative ? ~magnitude + 1 : magnitude;
    return true;
}

struct Call {
    const ctl::ParsedArgs& args;
    std::ostream& out;
    std::ostream& err;
    const Environment& env;

    int fail(int code, const std::string& why)
    {
        err << "orvel-msg: " << why << "\n";
        return code;
    }
};

struct Parameters {
    std::wstring name;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// NAME [WPARAM [LPARAM]], the name registered in this process so that it can travel.
std::optional<Parameters> parameters(Call& call)
{
    const auto& words = call.args.positional;
    Parameters p;
    p.name = RegisteredName(words[0]);
    std::uint64_t values[2] = {0, 0};
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (!parseWord(words[i], values[i - 1])) {
            call.fail(kExitUsage, "'" + words[i] + "' is not a number");
            return std::nullopt;
        }
    }
    p.message = RegisterWindowMessageW(p.name);
    if (p.message == 0) {
        call.fail(kExitUsage, "'" + words[0] + "' cannot be a message name");
        return std::nullopt;
    }
    p.wParam = static_cast<WPARAM>(values[0]);
    p.lParam = static_cast<LPARAM>(values[1]);
    return p;
}

std::string describeNoWindow(const std::string& what)
{
    const ipc::RuntimeFolder runtime = ipc::OpenRuntimeFolder();
    if (!runtime.ok())
        return what + ": " + runtime.error;
    return what + " (no such window in " + runtime.folder.string() + ")";
}

// The window send and post reach: the main window, or the one --class and --title name.
std::optional<ipc::RemoteWindow> target(Call& call, int& code)
{
    const bool chosen = call.args.Has("--class") || call.args.Has("--title");
    const auto valueOf = [&](const char* option, std::wstring_view fallback) {
        auto it = call.args.values.find(option);
        return it != call.args.values.end() ? text::FromUtf8(it->second) : std::wstring(chosen ? L"" : fallback);
    };
    const std::wstring className = valueOf("--class", app::kMainWindowClass);
    const std::wstring title = valueOf("--title", app::kProductName);
    auto found = ipc::FindWindowW(className, title);
    if (!found) {
        code = call.fail(kExitFailed, describeNoWindow(chosen ? "no such window runs" : "no VARNO Orvel 80 window runs"));
    }
    return found;
}

std::optional<DWORD> timeoutOf(Call& call)
{
    auto it = call.args.values.find("--timeout");
    if (it == call.args.values.end())
        return ipc::kSendTimeoutMs;
    long ms = 0;
    if (!ctl::ParseNumber(it->second, 1, 600000, ms)) {
        call.fail(kExitUsage, "--timeout takes milliseconds, 1 to 600000");
        return std::nullopt;
    }
    return static_cast<DWORD>(ms);
}

std::string whyNotSent(ipc::SendStatus status, const std::string& name, DWORD timeoutMs)
{
    switch (status) {
    case ipc::SendStatus::NoPeer: return "the window went away before it answered";
    case ipc::SendStatus::TimedOut: return "no answer within " + std::to_string(timeoutMs) + " ms";
    case ipc::SendStatus::Refused: return "the window does not take " + name;
    case ipc::SendStatus::Rejected: return name + " cannot travel";
    case ipc::SendStatus::Ok: break;
    }
    return {};
}

int sendCommand(Call& call)
{
    const auto p = parameters(call);
    const auto timeout = timeoutOf(call);
    if (!p || !timeout)
        return kExitUsage;
    int code = kExitOk;
    const auto to = target(call, code);
    if (!to)
        return code;
    const ipc::SendResult sent = ipc::SendMessageTimeoutW(*to, p->message, p->wParam, p->lParam, *timeout);
    if (sent.status != ipc::SendStatus::Ok)
        return call.fail(kExitFailed, whyNotSent(sent.status, call.args.positional[0], *timeout));
    call.out << sent.result << "\n";
    return kExitOk;
}

int postCommand(Call& call)
{
    const auto p = parameters(call);
    if (!p)
        return kExitUsage;
    int code = kExitOk;
    const auto to = target(call, code);
    if (!to)
        return code;
    if (!ipc::PostMessageW(*to, p->message, p->wParam, p->lParam))
        return call.fail(kExitFailed, "the window does not accept messages now");
    return kExitOk;
}

int broadcastCommand(Call& call)
{
    const auto p = parameters(call);
    if (!p)
        return kExitUsage;
    const int reached = ipc::BroadcastSystemMessageW(p->message, p->wParam, p->lParam);
    if (reached == 0)
        return call.fail(kExitFailed, describeNoWindow("no window took it"));
    call.out << "taken by " << reached << (reached == 1 ? " window\n" : " windows\n");
    return kExitOk;
}

// A window of this tool on the calling thread, with an endpoint; it keeps what reaches it.
class ToolWindow : public IMessageHandler {
public:
    struct Got {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        ULONG_PTR dwData = 0;
        std::vector<std::uint8_t> block;
    };

    ToolWindow(std::wstring_view title, std::vector<std::wstring> accepted)
    {
        hwnd_ = CreateWindowHandle(this, kToolClass, title);
        endpoint_ = ipc::Endpoint::Create(hwnd_, std::move(accepted), &error_);
    }
    ~ToolWindow()
    {
        endpoint_.reset();
        DestroyWindowHandle(hwnd_);
    }
    ToolWindow(const ToolWindow&) = delete;
    ToolWindow& operator=(const ToolWindow&) = delete;

    bool Reachable() const { return endpoint_ != nullptr; }
    const std::string& Error() const { return error_; }
    HWND Handle() const { return hwnd_; }
    std::vector<Got> Take() { return std::exchange(got_, {}); }

    LRESULT HandleMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        Got got{msg, wParam, lParam, 0, {}};
        if (msg == WM_COPYDATA) {
            const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            const auto* bytes = static_cast<const std::uint8_t*>(cds->lpData);
            got.dwData = cds->dwData;
            got.block.assign(bytes, bytes + cds->cbData);
            got.lParam = 0;
        }
        got_.push_back(std::move(got));
        return 0;
    }

private:
    HWND hwnd_ = nullptr;
    std::unique_ptr<ipc::Endpoint> endpoint_;
    std::string error_;
    std::vector<Got> got_;
};

std::string kindName(std::int32_t kind)
{
    for (const DeviceKindRow& row : DeviceKindTable) {
        if (row.kind == kind)
            return std::string(row.kindName);
    }
    return "?";
}

std::string hex4(std::int32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(v));
    return text;
}

void printWorkTool(std::ostream& out, const WorkToolAnswer& answer, bool json)
{
    if (json) {
        Json::Value doc(Json::objectValue);
        Json::Value head(Json::arrayValue);
        for (std::int32_t v : answer.head)
            head.append(v);
        doc["head"] = head;
        Json::Value kinds(Json::arrayValue);
        for (const WorkToolKind& k : answer.kinds) {
            Json::Value row(Json::objectValue);
            row["vendorId"] = k.vendorId;
            row["productId"] = k.productId;
            row["kind"] = k.kind;
            row["name"] = kindName(k.kind);
            kinds.append(row);
        }
        doc["kinds"] = kinds;
        out << profiles::StyledText(doc);
        return;
    }
    out << "head:";
    for (std::int32_t v : answer.head)
        out << " " << v;
    out << "\n" << answer.kinds.size() << " device kinds:\n";
    out << "  vendor  product  kind\n";
    for (const WorkToolKind& k : answer.kinds)
        out << "  " << hex4(k.vendorId) << "  " << hex4(k.productId) << "   " << std::left << std::setw(4) << k.kind
            << kindName(k.kind) << "\n";
}

int workToolCommand(Call& call)
{
    const auto timeout = timeoutOf(call);
    if (!timeout)
        return kExitUsage;
    int code = kExitOk;
    const auto to = target(call, code);
    if (!to)
        return code;
    if (ipc::FindWindowW(L"", app::kWorkToolTitle))
        return call.fail(kExitFailed, "another WorkTool window runs; the answer would go to it");
    ToolWindow tool(app::kWorkToolTitle, {});
    if (!tool.Reachable())
        return call.fail(kExitFailed, "cannot take the answer: " + tool.Error());
    const UINT query = RegisterWindowMessageW(app::kWorkToolQueryMessageName);
    const ipc::SendResult sent = ipc::SendMessageTimeoutW(*to, query, 0, 0, *timeout, tool.Handle());
    if (sent.status != ipc::SendStatus::Ok)
        return call.fail(kExitFailed, whyNotSent(sent.status, "the WorkTool query", *timeout));
    // The answer comes as its own message, sent to our window while the query is handled or
    // just after.
    const auto end = Clock::now() + std::chrono::milliseconds(*timeout);
    for (;;) {
        for (const ToolWindow::Got& got : tool.Take()) {
            if (got.message != WM_COPYDATA)
                continue;
            std::string why;
            const auto answer = DecodeWorkToolAnswer(got.dwData, got.block, why);
            if (!answer)
                return call.fail(kExitFailed, "the answer is not a kind table: " + why);
            printWorkTool(call.out, *answer, call.args.Has("--json"));
            return kExitOk;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0)
            return call.fail(kExitFailed, "the window took the query but sent no answer within "
                                              + std::to_string(*timeout) + " ms");
        PumpMessages(static_cast<int>(std::min<long long>(left, 50)));
    }
}

std::string hexOf(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    char pair[3];
    for (std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        text += pair;
    }
    return text;
}

int listenCommand(Call& call)
{
    std::vector<std::wstring> names;
    for (const std::string& word : call.args.positional)
        names.push_back(RegisteredName(word));
    if (names.empty()) {
        for (const KnownMessage& m : KnownMessages())
            names.emplace_back(m.name);
    }
    for (const std::wstring& name : names) {
        if (RegisterWindowMessageW(name) == 0)
            return call.fail(kExitUsage, "'" + text::ToUtf8(name) + "' cannot be a message name");
    }
    ToolWindow listener(kListenTitle, names);
    if (!listener.Reachable())
        return call.fail(kExitFailed, "cannot listen: " + listener.Error());
    call.err << "orvel-msg: listening for " << names.size() << (names.size() == 1 ? " message" : " messages")
             << " (Ctrl+C ends)" << std::endl;
    while (call.env.interrupted == nullptr || !*call.env.interrupted) {
        PumpMessages(50);
        for (const ToolWindow::Got& got : listener.Take()) {
            if (got.message == WM_COPYDATA)
                call.out << "WM_COPYDATA " << got.dwData << " " << got.block.size() << " " << hexOf(got.block);
            else
                call.out << ShownName(winmsg::MessageName(got.message)) << " " << got.wParam << " " << got.lParam;
            call.out << std::endl;
        }
    }
    return kExitOk;
}

struct CommandEntry {
    std::string_view name;
    std::size_t minArgs;
    std::size_t maxArgs;
    int (*run)(Call&);
    ctl::AcceptedOptions options;
};

const ctl::AcceptedOptions kAddressed{{}, {"--class", "--title"}};

const CommandEntry kCommands[] = {
    {"send", 1, 3, sendCommand, {{}, {"--class", "--title", "--timeout"}}},
    {"post", 1, 3, postCommand, kAddressed},
    {"broadcast", 1, 3, broadcastCommand, {}},
    {"worktool", 0, 0, workToolCommand, {{"--json"}, {"--class", "--title", "--timeout"}}},
    {"listen", 0, SIZE_MAX, listenCommand, {}},
};

} // namespace

int Run(const std::vector<std::string>& words, std::ostream& out, std::ostream& err, const Environment& env)
{
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        printHelp(words.empty() ? err : out);
        return words.empty() ? kExitUsage : kExitOk;
    }
    for (const CommandEntry& command : kCommands) {
        if (words[0] != command.name)
            continue;
        ctl::ParsedArgs args;
        std::string error;
        if (!ctl::ParseArgs({words.begin() + 1, words.end()}, command.options, args, error)) {
            err << "orvel-msg " << command.name << ": " << error << "\n" << kUsage;
            return kExitUsage;
        }
        if (args.help) {
            printHelp(out);
            return kExitOk;
        }
        if (args.positional.size() < command.minArgs || args.positional.size() > command.maxArgs) {
            err << "orvel-msg " << command.name << ": wrong number of arguments\n" << kUsage;
            return kExitUsage;
        }
        Call call{args, out, err, env};
        return command.run(call);
    }
    err << "orvel-msg: unknown command '" << words[0] << "'\n" << kUsage;
    return kExitUsage;
}

} // namespace orvel::msgtool

#pragma once
// A window of "another program" for the tests: its own thread, message loop and ipc endpoint,
// recording every message it gets.

#include "platform/ipc.h"
#include "platform/winmsg.h"

#include <chrono>
#include <cstdint>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvel::testing {

class PeerWindow : public IMessageHandler {
public:
    struct Got {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        ULONG_PTR dataId = 0;
        std::vector<std::uint8_t> data;
    };

    PeerWindow(std::wstring className, std::wstring title)
    {
        std::promise<void> ready;
        thread_ = std::thread([&, className, title] {
            hwnd_ = CreateWindowHandle(this, className, title);
            endpoint_ = ipc::Endpoint::Create(hwnd_);
            ready.set_value();
            RunMessageLoop();
            endpoint_.reset();
            DestroyWindowHandle(hwnd_);
        });
        ready.get_future().wait();
    }
    ~PeerWindow()
    {
        PostMessageW(hwnd_, kQuit, 0, 0);
        thread_.join();
    }
    LRESULT HandleMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == kQuit) {
            PostQuitMessage(0);
            return 0;
        }
        Got got{msg, wParam, lParam, 0, {}};
        if (msg == WM_COPYDATA) {
            const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            got.dataId = cds->dwData;
            const auto* p = static_cast<const std::uint8_t*>(cds->lpData);
            got.data.assign(p, p + cds->cbData);
        }
        std::lock_guard guard(lock_);
        got_.push_back(std::move(got));
        return 0;
    }
    // The messages of this number received so far, waiting up to limit for at least count.
    std::vector<Got> Received(UINT message, std::size_t count = 1,
                              std::chrono::milliseconds limit = std::chrono::milliseconds(2000))
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            std::vector<Got> matching;
            {
                std::lock_guard guard(lock_);
                for (const Got& g : got_) {
                    if (g.message == message)
                        matching.push_back(g);
                }
            }
            if (matching.size() >= count || std::chrono::steady_clock::now() > end)
                return matching;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

private:
    static constexpr UINT kQuit = WM_APP + 77;
    HWND hwnd_ = nullptr;
    std::unique_ptr<ipc::Endpoint> endpoint_;
    std::thread thread_;
    std::mutex lock_;
    std::vector<Got> got_;
};

} // namespace orvel::testing

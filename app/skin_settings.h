#pragma once
// The main window's background (the skin): what the skin popup broadcasts, the small
// observer that carries it, and the choice kept in "main.ini" in the user's data folder
// (section "SKINIMAGE": "FLAGS" "1" for a shipped image, "0" after a reset; "IMAGE" the image).

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace orvel::app {

struct SkinChangedParam {
    bool isColour = false;     // the flag: 1 colour, 0 image
    std::uint32_t colour = 0;  // 0xAARRGGBB, used for a colour
    std::wstring image;        // skin-relative or absolute image path, used for an image
    bool operator==(const SkinChangedParam&) const = default;
};

template <typename ReturnT, typename ParamT>
class ReceiverImpl;

// The subject: receivers in the order they were added, keyed by a count that is never reused.
template <typename ReturnT, typename ParamT>
class ObserverImpl {
public:
    using Receiver = ReceiverImpl<ReturnT, ParamT>;
    virtual ~ObserverImpl()
    {
        for (auto& [key, receiver] : Receivers())
            receiver->ForgetObserver(this);
    }

    // Also tells the receiver its subject.
    void AddReceiver(Receiver* receiver)
    {
        if (receiver == nullptr)
            return;
        receivers_[++count_] = receiver;
        receiver->AddObserver(this);
    }
    void RemoveReceiver(Receiver* receiver)
    {
        for (auto it = receivers_.begin(); it != receivers_.end();)
            it = it->second == receiver ? receivers_.erase(it) : std::next(it);
    }
    // Each receiver's Receive with a copy of the param.
    void Broadcast(ParamT param)
    {
        for (auto& [key, receiver] : Receivers())
            receiver->Receive(param);
    }
    // Each receiver's Respond with a copy of the param and this subject.
    void Notify(ParamT param)
    {
        for (auto& [key, receiver] : Receivers())
            receiver->Respond(param, this);
    }

private:
    // A copy, so a receiver may remove itself while it is called.
    std::map<int, Receiver*> Receivers() const { return receivers_; }
    std::map<int, Receiver*> receivers_;
    int count_ = 0;
};

template <typename ReturnT, typename ParamT>
class ReceiverImpl {
public:
    using Observer = ObserverImpl<ReturnT, ParamT>;
    virtual ~ReceiverImpl() { RemoveFromObservers(); }

    void AddObserver(Observer* observer) { observers_[++count_] = observer; }
    // Asks every subject to drop this receiver.
    void RemoveFromObservers()
    {
        for (auto& [key, observer] : std::map<int, Observer*>(observers_))
            observer->RemoveReceiver(this);
        observers_.clear();
    }
    virtual ReturnT Receive(ParamT) { return ReturnT(); }
    virtual ReturnT Respond(ParamT, Observer*) { return ReturnT(); }

private:
    friend Observer;
    void ForgetObserver(Observer* observer)
    {
        for (auto it = observers_.begin(); it != observers_.end();)
            it = it->second == observer ? observers_.erase(it) : std::next(it);
    }
    std::map<int, Observer*> observers_;
    int count_ = 0;
};

using SkinObserver = ObserverImpl<int, SkinChangedParam>;
using SkinReceiver = ReceiverImpl<int, SkinChangedParam>;

inline constexpr const char* kSkinSettingsFile = "main.ini";
inline constexpr const char* kSkinSection = "SKINIMAGE";
// The background a reset goes back to.
inline constexpr const wchar_t* kDefaultBackground = L"common/background.png";

// FLAGS "1" with IMAGE for a shipped image, FLAGS "0" with the default background after a
// reset. The folder is created when missing; false when the file could not be written.
bool WriteSkinImage(const std::filesystem::path& file, bool shipped, const std::wstring& image);

// The image to show at start: IMAGE when FLAGS is "1" and IMAGE is not empty; nothing when
// the file is missing or holds no such choice.
std::optional<SkinChangedParam> ReadSkinImage(const std::filesystem::path& file);

} // namespace orvel::app

#pragma once
// The four device models: each kind's core, light loop and frame output.

#include "devices/device_model.h"
#include "devices/headset_device.h"
#include "devices/keyboard_core.h"
#include "devices/mouse_core.h"
#include "devices/mousepad_device.h"
#include "lighting/keyboard_lighting.h"

namespace orvel::devices {

class MouseModel : public DeviceModel {
public:
    MouseModel(int kindRow, PostNotification post);
    ~MouseModel() override { Shutdown(); }
    MouseCore& Mouse() { return core_; }
    DeviceCore& Core() override { return core_; }
    lighting::DeviceLighting& Lighting() override { return lighting_; }
    lighting::MouseLighting& MouseLight() { return lighting_; }
    void SetScreenSize(int width, int height) override { core_.SetScreenSize(width, height); }
    void KeyPressed() override { lighting_.KeyPressed(); }

protected:
    void TakeLightingState() override;
    int SendFrame() override;
    bool TakesFrames() const override;

private:
    MouseCore core_;
    lighting::MouseLighting lighting_;
};

class KeyboardModel : public DeviceModel {
public:
    KeyboardModel(int kindRow, PostNotification post);
    ~KeyboardModel() override { Shutdown(); }
    KeyboardCore& Keyboard() { return core_; }
    DeviceCore& Core() override { return core_; }
    lighting::DeviceLighting& Lighting() override { return lighting_; }

protected:
    void TakeLightingState() override;
    int SendFrame() override;
    bool TakesFrames() const override;

private:
    KeyboardCore core_;
    lighting::KeyboardLighting lighting_;
};

// The mouse pad and the headset: a ring of LEDs with per-LED effects and effect lists.
class RingModel : public DeviceModel {
public:
    CRingDeviceCore& Ring() { return *ring_; }
    DeviceCore& Core() override { return *ring_; }
    lighting::DeviceLighting& Lighting() override { return lighting_; }

protected:
    RingModel(int kindRow, PostNotification post, lighting::RingLighting::Kind kind);
    // Called by the kind's constructor once its core exists.
    void UseCore(CRingDeviceCore& core);
    void TakeLightingState() override;
    // Both take every frame while the program holds light control (the pad by cable only).
    bool TakesFrames() const override { return ring_->HostLightControl() && !ViaReceiver(); }

    lighting::RingLighting lighting_;

private:
    CRingDeviceCore* ring_ = nullptr;
};

class MousePadModel : public RingModel {
public:
    MousePadModel(int kindRow, PostNotification post);
    ~MousePadModel() override { Shutdown(); }

protected:
    int SendFrame() override;

private:
    CMousePadCore core_;
};

class HeadsetModel : public RingModel {
public:
    HeadsetModel(int kindRow, PostNotification post);
    ~HeadsetModel() override { Shutdown(); }
    CHeadsetCore& Headset() { return core_; }

protected:
    int SendFrame() override;

private:
    CHeadsetCore core_;
};

} // namespace orvel::devices

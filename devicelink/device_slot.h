#pragma once
// The slot list: one slot per match-table row, filled while its interface is present, and
// the rules that tie slots to device identities.

#include "devicelink/device_tables.h"

#include <string_view>
#include <vector>

namespace orvel {

using SlotList = std::vector<CDeviceSlot>;

// One slot per match-table row, in table order, all free.
SlotList MakeSlotList();

bool IsFree(const CDeviceSlot& slot);

// Equal on vendor, product, interface, collection, kind, role, usage page and usage.
bool DescriptorEquals(const CDeviceSlot& a, const CDeviceSlot& b);

// vendorId, productId, interfaceNumber and collectionNumber read from a device path: the
// hexadecimal numbers after "vid_", "pid_", "&mi_" and "&col" (any case; 0 when absent) in the
// part after the last '#', so that folder names cannot pose as identities.
CDeviceSlot ParseCandidate(std::string_view path);

// Whether a match-table row has the same vendor, product, collection and interface.
bool RowMatchesFour(const CDeviceSlot& candidate);
// The match-table row equal on those four plus usage page and usage, or -1.
int FindSixMatchRow(const CDeviceSlot& candidate);

bool HasFreeSlot(const SlotList& slots, const CDeviceSlot& candidate);
bool AllSlotsAttached(const SlotList& slots);
bool AnySlotFree(const SlotList& slots);
// Index of the first free slot equal to the candidate on the six key values, or -1.
int FindFreeSlot(const SlotList& slots, const CDeviceSlot& candidate);

// The descriptor of the device object a slot belongs to: a notification slot stands for the
// command slot of its identity, and a receiver slot for its partner cable row.
const CDeviceSlot& IdentityOf(const SlotList& slots, std::size_t index);

// The slot's partner when it has one and the partner names it back, else -1.
int PartnerOf(const SlotList& slots, std::size_t index);

} // namespace orvel

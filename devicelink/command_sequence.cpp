#include "devicelink/command_sequence.h"

namespace orvel {

bool MaySend(CDeviceLink& link)
{
    if (link.viaDongle == 0)
        return true;
    return link.linkOpen == 1 && link.QueryWirelessLink();
}

CCommandSequence::CCommandSequence(CDeviceLink& link) : link_(link), lock_(link.cmdLock)
{
}

CCommandSequence::~CCommandSequence()
{
    if (begun_)
        End();
}

int CCommandSequence::Guarded(const std::function<int(CDeviceLink&)>& command)
{
    if (!MaySend(link_))
        return kLinkNoAnswer;
    return command(link_);
}

int CCommandSequence::Begin()
{
    if (status_ != kLinkOk)
        return status_;
    status_ = Guarded([](CDeviceLink& l) { return l.BeginConfig(); });
    begun_ = status_ == kLinkOk;
    return status_;
}

int CCommandSequence::Run(const std::function<int(CDeviceLink&)>& command)
{
    if (status_ != kLinkOk)
        return status_;
    status_ = Guarded(command);
    return status_;
}

int CCommandSequence::End()
{
    if (!begun_)
        return status_;
    begun_ = false;
    const int end = Guarded([](CDeviceLink& l) { return l.EndConfig(); });
    if (status_ == kLinkOk)
        status_ = end;
    return status_;
}

} // namespace orvel

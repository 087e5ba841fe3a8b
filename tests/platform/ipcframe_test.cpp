#include "platform/ipcframe.h"
#include "tests/support/ipc_wire.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace orvel::ipc {
namespace {

Message registered()
{
    Message m;
    m.wantsReply = true;
    m.name = "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";
    m.wParam = 1;
    m.lParam = -2;
    m.sender = "12-1-0000000000000000-0000000000000000.sock";
    return m;
}

Message copyData(size_t bytes)
{
    Message m;
    m.wantsReply = true;
    m.wParam = 0x1234;
    m.copyData = CopyData{10, std::vector<std::uint8_t>(bytes, 0x5A)};
    return m;
}

void expectSame(const Message& a, const Message& b)
{
    EXPECT_EQ(a.wantsReply, b.wantsReply);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.wParam, b.wParam);
    EXPECT_EQ(a.lParam, b.lParam);
    EXPECT_EQ(a.sender, b.sender);
    ASSERT_EQ(a.copyData.has_value(), b.copyData.has_value());
    if (a.copyData) {
        EXPECT_EQ(a.copyData->dwData, b.copyData->dwData);
        EXPECT_EQ(a.copyData->bytes, b.copyData->bytes);
    }
}

TEST(IpcFrame, RoundTrips)
{
    Message posted = registered();
    posted.wantsReply = false;
    posted.sender.clear();
    const Message cases[] = {registered(), posted, copyData(0), copyData(2000), copyData(kMaxCopyDataBytes)};
    for (const Message& m : cases) {
        const auto frame = EncodeMessage(m);
        ASSERT_FALSE(frame.empty());
        ASSERT_EQ(BodyLength(frame), frame.size() - kFrameHeaderBytes);
        const auto back = DecodeMessage(frame);
        ASSERT_TRUE(back);
        expectSame(m, *back);
    }
}

TEST(IpcFrame, EncodeRefusesWhatCannotTravel)
{
    Message tooBig = copyData(kMaxCopyDataBytes + 1);
    Message both = registered();
    both.copyData = CopyData{1, {1}};
    Message neither = registered();
    neither.name.clear();
    Message longName = registered();
    longName.name.assign(kMaxNameBytes + 1, 'n');
    Message badSender = registered();
    badSender.sender = "../escape.sock";
    Message postedBlock = copyData(4);
    postedBlock.wantsReply = false;
    for (const Message* m : {&tooBig, &both, &neither, &longName, &badSender, &postedBlock}) {
        EXPECT_TRUE(EncodeMessage(*m).empty());
    }
}

using testing::wire::Field;
using testing::wire::Frame;

TEST(IpcFrame, DecodeChecksEveryRule)
{
    const std::vector<std::uint8_t> kind = Field(1, {0});
    const std::vector<std::uint8_t> name = Field(2, {'A', 'B'});
    const std::vector<std::uint8_t> eight(8, 0);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> frame;
        bool accepted;
    };
    std::vector<std::uint8_t> cut = Frame({kind, name});
    cut.pop_back();
    std::vector<std::uint8_t> wrongMagic = Frame({kind, name});
    wrongMagic[3] = '2';
    std::vector<std::uint8_t> hugeLength = Frame({kind, name});
    hugeLength[7] = 0x7F;
    std::vector<std::uint8_t> fieldPastEnd = Frame({kind, Field(2, {'A'})});
    fieldPastEnd[kFrameHeaderBytes + 7 + 2] = 9; // the name claims 9 bytes, 1 is there
    const Case cases[] = {
        {"kind and name", Frame({kind, name}), true},
        {"unknown field skipped", Frame({kind, Field(99, {1, 2, 3}), name}), true},
        {"copy data", Frame({Field(1, {1}), Field(5, eight), Field(6, {1, 2})}), true},
        {"no kind", Frame({name}), false},
        {"kind out of range", Frame({Field(1, {2}), name}), false},
        {"kind too long", Frame({Field(1, {0, 0}), name}), false},
        {"no name, no block", Frame({kind}), false},
        {"empty name", Frame({kind, Field(2, {})}), false},
        {"name too long", Frame({kind, Field(2, std::vector<std::uint8_t>(kMaxNameBytes + 1, 'x'))}), false},
        {"name twice", Frame({kind, name, name}), false},
        {"name and block", Frame({kind, name, Field(5, eight), Field(6, {1})}), false},
        {"block without dwData", Frame({kind, Field(6, {1})}), false},
        {"dwData without block", Frame({kind, Field(5, eight)}), false},
        // Posted, the receiver would take lParam for the block's address.
        {"posted copy data", Frame({kind, Field(5, eight), Field(6, {1, 2})}), false},
        {"short wParam", Frame({kind, name, Field(3, {1, 2})}), false},
        {"sender with slash", Frame({kind, name, Field(7, {'a', '/', 'b'})}), false},
        {"sender dot-dot", Frame({kind, name, Field(7, {'.', '.'})}), false},
        {"truncated frame", cut, false},
        {"wrong magic", wrongMagic, false},
        {"announced body too long", hugeLength, false},
        {"field past the end", fieldPastEnd, false},
        {"half a field header", Frame({kind, name, {2, 0, 1}}), false},
        {"header only, nothing else", {'O', 'V', 'M'}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeMessage(c.frame).has_value(), c.accepted) << c.what;
    }
}

TEST(IpcFrame, Replies)
{
    for (LRESULT v : {LRESULT{0}, LRESULT{1}, LRESULT{-1}, LRESULT{0x7FFFFFFFFFFFFFFF}}) {
        EXPECT_EQ(DecodeReply(EncodeReply(v)), v);
    }
    auto bad = EncodeReply(5);
    bad[0] = 'X';
    EXPECT_FALSE(DecodeReply(bad));
    bad = EncodeReply(5);
    bad.pop_back();
    EXPECT_FALSE(DecodeReply(bad));
}

} // namespace
} // namespace orvel::ipc

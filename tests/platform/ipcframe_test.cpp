#include "platform/ipcframe.h"

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
    for (const Message* m : {&tooBig, &both, &neither, &longName, &badSender}) {
        EXPECT_TRUE(EncodeMessage(*m).empty());
    }
}

// A field as the wire writes it.
std::vector<std::uint8_t> field(std::uint16_t tag, std::vector<std::uint8_t> value)
{
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(tag), static_cast<std::uint8_t>(tag >> 8)};
    const auto size = static_cast<std::uint32_t>(value.size());
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
    }
    out.insert(out.end(), value.begin(), value.end());
    return out;
}

std::vector<std::uint8_t> frameOf(const std::vector<std::vector<std::uint8_t>>& fields)
{
    std::vector<std::uint8_t> body;
    for (const auto& f : fields) {
        body.insert(body.end(), f.begin(), f.end());
    }
    std::vector<std::uint8_t> frame{'O', 'V', 'M', '1'};
    const auto size = static_cast<std::uint32_t>(body.size());
    for (int i = 0; i < 4; ++i) {
        frame.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
    }
    frame.insert(frame.end(), body.begin(), body.end());
    return frame;
}

TEST(IpcFrame, DecodeChecksEveryRule)
{
    const std::vector<std::uint8_t> kind = field(1, {0});
    const std::vector<std::uint8_t> name = field(2, {'A', 'B'});
    const std::vector<std::uint8_t> eight(8, 0);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> frame;
        bool accepted;
    };
    std::vector<std::uint8_t> cut = frameOf({kind, name});
    cut.pop_back();
    std::vector<std::uint8_t> wrongMagic = frameOf({kind, name});
    wrongMagic[3] = '2';
    std::vector<std::uint8_t> hugeLength = frameOf({kind, name});
    hugeLength[7] = 0x7F;
    std::vector<std::uint8_t> fieldPastEnd = frameOf({kind, field(2, {'A'})});
    fieldPastEnd[kFrameHeaderBytes + 7 + 2] = 9; // the name claims 9 bytes, 1 is there
    const Case cases[] = {
        {"kind and name", frameOf({kind, name}), true},
        {"unknown field skipped", frameOf({kind, field(99, {1, 2, 3}), name}), true},
        {"copy data", frameOf({field(1, {1}), field(5, eight), field(6, {1, 2})}), true},
        {"no kind", frameOf({name}), false},
        {"kind out of range", frameOf({field(1, {2}), name}), false},
        {"kind too long", frameOf({field(1, {0, 0}), name}), false},
        {"no name, no block", frameOf({kind}), false},
        {"empty name", frameOf({kind, field(2, {})}), false},
        {"name too long", frameOf({kind, field(2, std::vector<std::uint8_t>(kMaxNameBytes + 1, 'x'))}), false},
        {"name twice", frameOf({kind, name, name}), false},
        {"name and block", frameOf({kind, name, field(5, eight), field(6, {1})}), false},
        {"block without dwData", frameOf({kind, field(6, {1})}), false},
        {"dwData without block", frameOf({kind, field(5, eight)}), false},
        {"short wParam", frameOf({kind, name, field(3, {1, 2})}), false},
        {"sender with slash", frameOf({kind, name, field(7, {'a', '/', 'b'})}), false},
        {"sender dot-dot", frameOf({kind, name, field(7, {'.', '.'})}), false},
        {"truncated frame", cut, false},
        {"wrong magic", wrongMagic, false},
        {"announced body too long", hugeLength, false},
        {"field past the end", fieldPastEnd, false},
        {"half a field header", frameOf({kind, name, {2, 0, 1}}), false},
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

#include "ui/core.h"

#include <algorithm>
#include <cstdarg>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "platform/text.h"

namespace DuiLib {

bool IntersectRect(RECT* out, const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.right <= r.left || r.bottom <= r.top) {
        *out = RECT{};
        return false;
    }
    *out = r;
    return true;
}

void CDuiString::Assign(LPCTSTR s, int len) {
    if (!s) {
        m_s.clear();
    } else if (len < 0) {
        m_s = s;
    } else {
        m_s.assign(s, static_cast<size_t>(len));
    }
}

int CDuiString::CompareNoCase(LPCTSTR s) const {
    CDuiString a(*this), b(s);
    a.MakeLower();
    b.MakeLower();
    return a.Compare(b);
}

void CDuiString::MakeUpper() {
    for (auto& ch : m_s) ch = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch)));
}

void CDuiString::MakeLower() {
    for (auto& ch : m_s) ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
}

CDuiString CDuiString::Left(int len) const {
    return CDuiString(m_s.substr(0, static_cast<size_t>(std::clamp(len, 0, GetLength()))));
}

CDuiString CDuiString::Mid(int pos, int len) const {
    if (pos < 0) pos = 0;
    if (pos >= GetLength()) return {};
    return CDuiString(m_s.substr(static_cast<size_t>(pos), len < 0 ? std::wstring::npos : static_cast<size_t>(len)));
}

CDuiString CDuiString::Right(int len) const {
    len = std::clamp(len, 0, GetLength());
    return CDuiString(m_s.substr(m_s.size() - static_cast<size_t>(len)));
}

int CDuiString::Find(wchar_t ch, int start) const {
    if (start < 0 || start >= GetLength()) return -1;
    auto p = m_s.find(ch, static_cast<size_t>(start));
    return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

int CDuiString::Find(LPCTSTR s, int start) const {
    if (!s || start < 0 || start > GetLength()) return -1;
    auto p = m_s.find(s, static_cast<size_t>(start));
    return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

int CDuiString::ReverseFind(wchar_t ch) const {
    auto p = m_s.rfind(ch);
    return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

int CDuiString::Replace(LPCTSTR from, LPCTSTR to) {
    if (!from || !*from) return 0;
    std::wstring f(from), t(to ? to : L"");
    int count = 0;
    for (size_t p = m_s.find(f); p != std::wstring::npos; p = m_s.find(f, p + t.size())) {
        m_s.replace(p, f.size(), t);
        ++count;
    }
    return count;
}

static int FormatV(std::wstring& out, LPCTSTR fmt, va_list args) {
    std::vector<wchar_t> buf(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int n = std::vswprintf(buf.data(), buf.size(), fmt, copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < buf.size()) {
            out.assign(buf.data(), static_cast<size_t>(n));
            return n;
        }
        if (buf.size() > (1u << 20)) {
            out.clear();
            return 0;
        }
        buf.resize(buf.size() * 4);
    }
}

int CDuiString::Format(LPCTSTR fmt, ...) {
    va_list args;
    va_start(args, fmt);
    int n = FormatV(m_s, fmt, args);
    va_end(args);
    return n;
}

int CDuiString::SmallFormat(LPCTSTR fmt, ...) {
    va_list args;
    va_start(args, fmt);
    int n = FormatV(m_s, fmt, args);
    va_end(args);
    return n;
}

std::string CDuiString::ToUtf8() const { return orvel::text::ToUtf8(m_s); }

CDuiString CDuiString::FromUtf8(std::string_view s) { return CDuiString(orvel::text::FromUtf8(s)); }

} // namespace DuiLib

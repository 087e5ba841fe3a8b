#include "ui/values.h"

#include <cwchar>
#include <cwctype>

namespace DuiLib::values {

int ParseInt(LPCTSTR s) {
    if (!s) return 0;
    return static_cast<int>(std::wcstol(s, nullptr, 10));
}

bool ParseBool(LPCTSTR s) { return s && EqualNoCase(s, L"true"); }

DWORD ParseColor(LPCTSTR s) {
    if (!s) return 0;
    while (*s == L' ') ++s;
    if (*s == L'#') ++s;
    return static_cast<DWORD>(std::wcstoul(s, nullptr, 16));
}

std::vector<int> ParseInts(LPCTSTR s, int n) {
    std::vector<int> out(static_cast<size_t>(n), 0);
    if (!s) return out;
    const wchar_t* p = s;
    for (int i = 0; i < n && *p; ++i) {
        wchar_t* end = nullptr;
        out[static_cast<size_t>(i)] = static_cast<int>(std::wcstol(p, &end, 10));
        if (end == p) break;
        p = end;
        if (!*p) break;
        ++p; // the separator
    }
    return out;
}

RECT ParseRect(LPCTSTR s) {
    auto v = ParseInts(s, 4);
    return RECT{v[0], v[1], v[2], v[3]};
}

SIZE ParseSize(LPCTSTR s) {
    auto v = ParseInts(s, 2);
    return SIZE{v[0], v[1]};
}

std::vector<std::pair<std::wstring, std::wstring>> ParseAttributeList(LPCTSTR s) {
    std::vector<std::pair<std::wstring, std::wstring>> out;
    if (!s) return out;
    std::wstring text(s);
    // A literal &quot; left in the string stands for a quote.
    for (size_t p = text.find(L"&quot;"); p != std::wstring::npos; p = text.find(L"&quot;", p + 1)) text.replace(p, 6, L"\"");
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (std::iswspace(static_cast<wint_t>(text[i])) || text[i] == L',')) ++i;
        size_t nameStart = i;
        while (i < text.size() && text[i] != L'=' && !std::iswspace(static_cast<wint_t>(text[i]))) ++i;
        std::wstring name = text.substr(nameStart, i - nameStart);
        while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i]))) ++i;
        if (name.empty() || i >= text.size() || text[i] != L'=') break;
        ++i;
        while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i]))) ++i;
        if (i >= text.size() || text[i] != L'"') break;
        size_t valueStart = ++i;
        while (i < text.size() && text[i] != L'"') ++i;
        if (i >= text.size()) break;
        out.emplace_back(name, text.substr(valueStart, i - valueStart));
        ++i;
    }
    return out;
}

bool EqualNoCase(LPCTSTR a, LPCTSTR b) {
    if (!a || !b) return a == b;
    for (; *a && *b; ++a, ++b) {
        if (std::towlower(static_cast<wint_t>(*a)) != std::towlower(static_cast<wint_t>(*b))) return false;
    }
    return *a == *b;
}

std::wstring Lower(std::wstring s) {
    for (auto& ch : s) ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    return s;
}

std::wstring Lower(LPCTSTR s) { return Lower(std::wstring(s ? s : L"")); }

} // namespace DuiLib::values

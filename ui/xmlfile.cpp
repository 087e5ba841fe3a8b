#include "ui/xmlfile.h"

#include <pugixml.hpp>

#include <fstream>
#include <sstream>

#include "ui/manager.h"
#include "ui/resource.h"

namespace DuiLib::xmlfile {

namespace {

bool IsXmlChar(unsigned long c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// The length of a character reference ("&#10;", "&#x2026;") of a character XML allows at i,
// or 0.
size_t CharacterReferenceAt(const std::string& text, size_t i) {
    if (text.compare(i, 2, "&#") != 0) return 0;
    size_t p = i + 2;
    const bool hex = p < text.size() && (text[p] == 'x' || text[p] == 'X');
    if (hex) ++p;
    const size_t digits = p;
    unsigned long value = 0;
    for (; p < text.size() && p - digits < 8; ++p) {
        const char ch = text[p];
        int d = -1;
        if (ch >= '0' && ch <= '9') d = ch - '0';
        else if (hex && ch >= 'a' && ch <= 'f') d = ch - 'a' + 10;
        else if (hex && ch >= 'A' && ch <= 'F') d = ch - 'A' + 10;
        if (d < 0) break;
        value = value * (hex ? 16 : 10) + unsigned(d);
    }
    if (p == digits || p >= text.size() || text[p] != ';' || !IsXmlChar(value)) return 0;
    return p + 1 - i;
}

} // namespace

std::string Clean(std::string text) {
    if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF && static_cast<unsigned char>(text[1]) == 0xBB &&
        static_cast<unsigned char>(text[2]) == 0xBF)
        text.erase(0, 3);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (ch == '<' && i + 1 < text.size() && text[i + 1] == '?') {
            // Keep the declaration at the very start; every other <? ... ?> is a comment.
            size_t end = text.find("?>", i + 2);
            if (end == std::string::npos) break;
            if (out.find_first_not_of(" \t\r\n") == std::string::npos && text.compare(i, 5, "<?xml") == 0) out.append(text, i, end + 2 - i);
            i = end + 1;
            continue;
        }
        if (ch == '&') {
            static const char* entities[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};
            bool known = false;
            for (const char* e : entities) {
                if (text.compare(i, std::char_traits<char>::length(e), e) == 0) known = true;
            }
            if (!known && CharacterReferenceAt(text, i) > 0) known = true;
            if (!known) {
                out += "&amp;";
                continue;
            }
        }
        out += ch;
    }
    return out;
}

bool Load(pugi::xml_document& doc, LPCTSTR pstrXml, bool asLayout) {
    if (!pstrXml || !*pstrXml) return false;
    std::string text;
    if (pstrXml[0] == L'<') {
        text = CDuiString(pstrXml).ToUtf8();
    } else {
        CDuiString name(pstrXml);
        if (asLayout) {
            if (LPCTSTR mapped = CResourceManager::GetInstance()->GetXmlPath(pstrXml)) name = mapped;
        }
        CDuiString path = CPaintManagerUI::GetResourceFile(name);
        std::ifstream in(path.ToUtf8(), std::ios::binary);
        if (!in) return false;
        in.seekg(0, std::ios::end);
        auto size = in.tellg();
        if (size < 0 || size > 4 * 1024 * 1024) return false;
        in.seekg(0);
        std::ostringstream ss;
        ss << in.rdbuf();
        text = ss.str();
    }
    text = Clean(std::move(text));
    pugi::xml_parse_result r = doc.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_declaration, pugi::encoding_utf8);
    return bool(r);
}

} // namespace DuiLib::xmlfile

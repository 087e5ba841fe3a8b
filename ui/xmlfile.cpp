#include "ui/xmlfile.h"

#include <pugixml.hpp>

#include <fstream>
#include <sstream>

#include "ui/manager.h"
#include "ui/resource.h"

namespace DuiLib::xmlfile {

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

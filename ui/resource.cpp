#include "ui/resource.h"

#include <pugixml.hpp>

#include "platform/debuglog.h"
#include "ui/manager.h"
#include "ui/xmlfile.h"

namespace DuiLib {

CResourceManager* CResourceManager::GetInstance() {
    static CResourceManager instance;
    return &instance;
}

void CResourceManager::Release() {
    m_mImageHashMap.clear();
    m_mXmlHashMap.clear();
    m_mTextResourceHashMap.clear();
    m_pQuerypInterface = nullptr;
    m_sLanguage.Empty();
    CPaintManagerUI::LookChanged();
}

namespace {

void CollectIds(const pugi::xml_node& node, std::map<std::wstring, std::wstring>& images, std::map<std::wstring, std::wstring>& xmls) {
    for (pugi::xml_node child : node.children()) {
        if (child.type() != pugi::node_element) continue;
        std::wstring name = CDuiString::FromUtf8(child.name()).str();
        std::wstring id = CDuiString::FromUtf8(child.attribute("id").value()).str();
        std::wstring path = CDuiString::FromUtf8(child.attribute("path").value()).str();
        if (!id.empty() && !path.empty()) {
            if (name == L"Image" || name == L"image") images.emplace(id, path);
            else if (name == L"Xml" || name == L"xml") xmls.emplace(id, path);
        }
        if (child.first_child()) CollectIds(child, images, xmls);
    }
}

} // namespace

bool CResourceManager::LoadResource(LPCTSTR pstrXml, LPCTSTR) {
    pugi::xml_document doc;
    if (!xmlfile::Load(doc, pstrXml)) {
        orvel::debuglog::Write("resource index not loaded: " + CDuiString(pstrXml).ToUtf8());
        return false;
    }
    CollectIds(doc, m_mImageHashMap, m_mXmlHashMap);
    CPaintManagerUI::LookChanged();
    return true;
}

LPCTSTR CResourceManager::GetImagePath(LPCTSTR lpstrId) const {
    auto it = m_mImageHashMap.find(lpstrId ? lpstrId : L"");
    return it == m_mImageHashMap.end() ? nullptr : it->second.c_str();
}

LPCTSTR CResourceManager::GetXmlPath(LPCTSTR lpstrId) const {
    auto it = m_mXmlHashMap.find(lpstrId ? lpstrId : L"");
    return it == m_mXmlHashMap.end() ? nullptr : it->second.c_str();
}

bool CResourceManager::LoadLanguage(LPCTSTR pstrXml) {
    pugi::xml_document doc;
    if (!xmlfile::Load(doc, pstrXml)) {
        orvel::debuglog::Write("language file not loaded: " + CDuiString(pstrXml).ToUtf8());
        return false;
    }
    pugi::xml_node root = doc.document_element();
    for (pugi::xml_node t : root.children()) {
        if (t.type() != pugi::node_element) continue;
        std::string tag = t.name();
        if (tag != "Text" && tag != "text") continue;
        pugi::xml_attribute id = t.attribute("id"), value = t.attribute("value");
        if (!id || !value) continue;
        m_mTextResourceHashMap[CDuiString::FromUtf8(id.value()).str()] = CDuiString::FromUtf8(value.value()).str();
    }
    return true;
}

void CResourceManager::ReloadText() {
    if (!m_pQuerypInterface) return;
    for (auto& [id, text] : m_mTextResourceHashMap) {
        if (LPCTSTR t = m_pQuerypInterface->QueryControlText(id.c_str(), nullptr)) text = t;
    }
}

void CResourceManager::ResetTextMap() { m_mTextResourceHashMap.clear(); }

void CResourceManager::AddText(LPCTSTR lpstrId, LPCTSTR lpstrText) {
    if (!lpstrId || !lpstrText) return;
    m_mTextResourceHashMap[lpstrId] = lpstrText;
}

CDuiString CResourceManager::GetText(LPCTSTR lpstrId, LPCTSTR lpstrType) {
    if (!lpstrId) return {};
    auto it = m_mTextResourceHashMap.find(lpstrId);
    if (it != m_mTextResourceHashMap.end()) return CDuiString(it->second);
    if (m_pQuerypInterface) {
        if (LPCTSTR t = m_pQuerypInterface->QueryControlText(lpstrId, lpstrType)) {
            m_mTextResourceHashMap[lpstrId] = t;
            return CDuiString(t);
        }
    }
    return CDuiString(lpstrId);
}

} // namespace DuiLib

#pragma once
// CResourceManager: the process-wide resource index ("res.xml": ids such as "XML_MAIN" for
// layout and image files) and the language text table.

#include <map>
#include <string>

#include "ui/core.h"

namespace DuiLib {

class CResourceManager {
public:
    static CResourceManager* GetInstance();
    // Forgets the index, the text table, the language and the query interface.
    void Release();

    // Reads a resource index: a file name relative to the resource path, or XML text that
    // starts with '<'. Image and Xml elements give ids; groups may nest; the first id wins.
    bool LoadResource(LPCTSTR pstrXml, LPCTSTR type = nullptr);
    // The file of an id, or null when the id is unknown.
    LPCTSTR GetImagePath(LPCTSTR lpstrId) const;
    LPCTSTR GetXmlPath(LPCTSTR lpstrId) const;

    // Language: Text elements (id, value) of a file or an XML string are added to the table;
    // ids already present take the new text, others keep theirs.
    bool LoadLanguage(LPCTSTR pstrXml);
    void SetLanguage(LPCTSTR pstrLanguage) { m_sLanguage = pstrLanguage; }
    LPCTSTR GetLanguage() const { return m_sLanguage; }
    void SetTextQueryInterface(IQueryControlText* pInterface) { m_pQuerypInterface = pInterface; }
    // Asks the query interface again for every id of the table.
    void ReloadText();
    void ResetTextMap();
    void AddText(LPCTSTR lpstrId, LPCTSTR lpstrText);
    // The text of an id: the table, else the query interface (kept), else the id itself.
    CDuiString GetText(LPCTSTR lpstrId, LPCTSTR lpstrType = nullptr);

private:
    std::map<std::wstring, std::wstring> m_mImageHashMap;
    std::map<std::wstring, std::wstring> m_mXmlHashMap;
    std::map<std::wstring, std::wstring> m_mTextResourceHashMap;
    IQueryControlText* m_pQuerypInterface = nullptr;
    CDuiString m_sLanguage;
};

} // namespace DuiLib

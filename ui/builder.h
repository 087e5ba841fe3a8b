#pragma once
// Building control trees from layout files: the control factory (class name -> creator) and
// CDialogBuilder.

#include <map>
#include <string>

#include "ui/core.h"

namespace pugi {
class xml_node;
}

namespace DuiLib {

using CreateClass = CControlUI* (*)();

class CControlFactory {
public:
    static CControlFactory* GetInstance();
    // Registers a creator under a class name such as "CCircleProgressUI"; layouts then name it
    // by its tag "CircleProgress". Names are compared without case.
    void RegistControl(CDuiString strClassName, CreateClass pFunc);
    // Creates the control of a layout tag (built-in or registered), or null.
    CControlUI* CreateControl(CDuiString strClassName);

private:
    CControlFactory();
    std::map<std::wstring, CreateClass> m_mapControl;
};

class CDialogBuilder {
public:
    // Builds a layout: pstrXml is a file name under the resource path, a res.xml layout id,
    // or XML text starting with '<'. Resource elements (Font, Default, Style, Import, Image)
    // go to the manager, Window attributes to its window, and the controls are built into
    // pParent when given. Returns the first control built, or null.
    CControlUI* Create(LPCTSTR pstrXml, LPCTSTR type = nullptr, IDialogBuilderCallback* pCallback = nullptr,
                       CPaintManagerUI* pManager = nullptr, CControlUI* pParent = nullptr);
    LPCTSTR GetLastErrorMessage() const { return m_sError; }

private:
    CControlUI* Parse(const pugi::xml_node& parentNode, CControlUI* pParent, CPaintManagerUI* pManager);
    void RegisterResources(const pugi::xml_node& root, CPaintManagerUI* pManager);

    IDialogBuilderCallback* m_pCallback = nullptr;
    CDuiString m_sError;
    int m_nIncludeDepth = 0;
};

} // namespace DuiLib

#include "ui/builder.h"

#include <pugixml.hpp>

#include "platform/debuglog.h"
#include "ui/container.h"
#include "ui/control.h"
#include "ui/controls.h"
#include "ui/edit.h"
#include "ui/list.h"
#include "ui/colorpalette.h"
#include "ui/menu_controls.h"
#include "ui/tilelayout.h"
#include "ui/treeview.h"
#include "ui/manager.h"
#include "ui/values.h"
#include "ui/xmlfile.h"

namespace DuiLib {
namespace {

CDuiString W(const char* utf8) { return CDuiString::FromUtf8(utf8 ? utf8 : ""); }

template <typename T>
CControlUI* Make() {
    return new T;
}

bool IsResourceTag(const std::wstring& lower) {
    return lower == L"font" || lower == L"image" || lower == L"default" || lower == L"style" || lower == L"import" ||
           lower == L"multilanguage";
}

} // namespace

CControlFactory::CControlFactory() {
    const std::pair<const wchar_t*, CreateClass> builtins[] = {
        {L"control", Make<CControlUI>},
        {L"container", Make<CContainerUI>},
        {L"box", Make<CContainerUI>},
        {L"verticallayout", Make<CVerticalLayoutUI>},
        {L"vbox", Make<CVerticalLayoutUI>},
        {L"horizontallayout", Make<CHorizontalLayoutUI>},
        {L"hbox", Make<CHorizontalLayoutUI>},
        {L"tablayout", Make<CTabLayoutUI>},
        {L"tabbox", Make<CTabLayoutUI>},
        {L"tilelayout", Make<CTileLayoutUI>},
        {L"tilebox", Make<CTileLayoutUI>},
        {L"label", Make<CLabelUI>},
        {L"text", Make<CTextUI>},
        {L"button", Make<CButtonUI>},
        {L"option", Make<COptionUI>},
        {L"checkbox", Make<CCheckBoxUI>},
        {L"progress", Make<CProgressUI>},
        {L"slider", Make<CSliderUI>},
        {L"scrollbar", Make<CScrollBarUI>},
        {L"edit", Make<CEditUI>},
        {L"richedit", Make<CRichEditUI>},
        {L"combo", Make<CComboUI>},
        {L"combobox", Make<CComboUI>},
        {L"list", Make<CListUI>},
        {L"listheader", Make<CListHeaderUI>},
        {L"listheaderitem", Make<CListHeaderItemUI>},
        {L"listlabelelement", Make<CListLabelElementUI>},
        {L"listtextelement", Make<CListTextElementUI>},
        {L"listcontainerelement", Make<CListContainerElementUI>},
        {L"treeview", Make<CTreeViewUI>},
        {L"treenode", Make<CTreeNodeUI>},
        {L"colorpalette", Make<CColorPaletteUI>},
        {L"menu", Make<CMenuUI>},
        {L"menuelement", Make<CMenuElementUI>},
    };
    for (const auto& [name, fn] : builtins) m_mapControl[L"c" + std::wstring(name) + L"ui"] = fn;
}

CControlFactory* CControlFactory::GetInstance() {
    static CControlFactory instance;
    return &instance;
}

void CControlFactory::RegistControl(CDuiString strClassName, CreateClass pFunc) {
    if (strClassName.IsEmpty() || !pFunc) return;
    m_mapControl[values::Lower(strClassName.str())] = pFunc;
}

CControlUI* CControlFactory::CreateControl(CDuiString strClassName) {
    std::wstring tag = values::Lower(strClassName.str());
    auto it = m_mapControl.find(L"c" + tag + L"ui");
    if (it == m_mapControl.end()) it = m_mapControl.find(tag);
    return it == m_mapControl.end() ? nullptr : it->second();
}

CControlUI* CDialogBuilder::Create(LPCTSTR pstrXml, LPCTSTR, IDialogBuilderCallback* pCallback, CPaintManagerUI* pManager,
                                   CControlUI* pParent) {
    m_pCallback = pCallback;
    pugi::xml_document doc;
    if (!xmlfile::Load(doc, pstrXml, true)) {
        m_sError = CDuiString(L"layout not loaded: ") + CDuiString(pstrXml ? pstrXml : L"");
        orvel::debuglog::Write(m_sError.ToUtf8());
        return nullptr;
    }
    pugi::xml_node root = doc.document_element();
    if (!root) return nullptr;
    RegisterResources(root, pManager);
    if (pManager && values::EqualNoCase(W(root.name()), L"Window")) {
        for (pugi::xml_attribute a : root.attributes()) pManager->SetWindowAttribute(W(a.name()), W(a.value()));
    }
    return Parse(root, pParent, pManager);
}

void CDialogBuilder::RegisterResources(const pugi::xml_node& root, CPaintManagerUI* pManager) {
    if (!pManager) return;
    for (pugi::xml_node node : root.children()) {
        if (node.type() != pugi::node_element) continue;
        std::wstring tag = values::Lower(W(node.name()).str());
        auto attr = [&](const char* name) { return W(node.attribute(name).value()); };
        bool shared = values::ParseBool(attr("shared"));
        if (tag == L"font") {
            pugi::xml_attribute idAttr = node.attribute("id");
            int id = idAttr ? values::ParseInt(attr("id")) : pManager->GetNextFontId();
            int size = node.attribute("size") ? values::ParseInt(attr("size")) : 12;
            pManager->AddFont(id, attr("name"), size, values::ParseBool(attr("bold")), values::ParseBool(attr("underline")),
                              values::ParseBool(attr("italic")), shared);
            if (values::ParseBool(attr("default")))
                pManager->SetDefaultFont(attr("name"), size, values::ParseBool(attr("bold")), values::ParseBool(attr("underline")),
                                         values::ParseBool(attr("italic")), shared);
        } else if (tag == L"default") {
            pManager->AddDefaultAttributeList(attr("name"), attr("value"), shared);
        } else if (tag == L"style") {
            pManager->AddStyle(attr("name"), attr("value"), shared);
        } else if (tag == L"import") {
            if (node.attribute("fontfile") && !CPaintManagerUI::AddFontFile(attr("fontfile")))
                orvel::debuglog::Write("font file not loaded: " + attr("fontfile").ToUtf8());
        } else if (tag == L"image") {
            pManager->GetImageEx(attr("name"), attr("restype"), values::ParseColor(attr("mask")));
        }
    }
}

CControlUI* CDialogBuilder::Parse(const pugi::xml_node& parentNode, CControlUI* pParent, CPaintManagerUI* pManager) {
    CControlUI* ret = nullptr;
    for (pugi::xml_node node : parentNode.children()) {
        if (node.type() != pugi::node_element) continue;
        CDuiString tagName = W(node.name());
        std::wstring tag = values::Lower(tagName.str());
        if (IsResourceTag(tag) || tag == L"window") continue;
        if (tag == L"include") {
            if (m_nIncludeDepth > 16) continue; // a file that includes itself
            int count = node.attribute("count") ? values::ParseInt(W(node.attribute("count").value())) : 1;
            CDuiString source = W(node.attribute("source").value());
            for (int i = 0; i < count; ++i) {
                pugi::xml_document inc;
                if (!xmlfile::Load(inc, source, true)) {
                    orvel::debuglog::Write("included layout not loaded: " + source.ToUtf8());
                    break;
                }
                pugi::xml_node incRoot = inc.document_element();
                RegisterResources(incRoot, pManager);
                if (pManager && values::EqualNoCase(W(incRoot.name()), L"Window")) {
                    for (pugi::xml_attribute a : incRoot.attributes()) pManager->SetWindowAttribute(W(a.name()), W(a.value()));
                }
                ++m_nIncludeDepth;
                CControlUI* first = Parse(incRoot, pParent, pManager);
                --m_nIncludeDepth;
                if (!ret) ret = first;
            }
            continue;
        }
        CControlUI* control = CControlFactory::GetInstance()->CreateControl(tagName);
        if (!control && m_pCallback) control = m_pCallback->CreateControl(tagName);
        if (!control) {
            orvel::debuglog::Write("unknown control tag skipped: " + tagName.ToUtf8());
            continue;
        }
        if (node.first_child()) Parse(node, control, pManager);

        IContainerUI* container = pParent ? static_cast<IContainerUI*>(pParent->GetInterface(DUI_CTR_ICONTAINER)) : nullptr;
        const bool parentAttached = container && pParent->GetManager();
        if (container && !parentAttached) container->Add(control);
        if (pManager) {
            control->SetManager(pManager, control->GetParent(), false);
            if (LPCTSTR def = pManager->GetDefaultAttributeList(tagName)) control->ApplyAttributeList(def);
        }
        for (pugi::xml_attribute a : node.attributes()) control->SetAttribute(W(a.name()), W(a.value()));
        if (pManager) control->SetManager(nullptr, control->GetParent(), false);
        if (parentAttached) container->Add(control);
        if (!ret) ret = control;
    }
    return ret;
}

} // namespace DuiLib

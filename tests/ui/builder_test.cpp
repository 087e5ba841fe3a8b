// Building control trees from layout text and files: names, tags, defaults, styles, includes,
// resource ids, lenient XML, fonts, languages and the control factory.

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/temp_folder.h"
#include "tests/ui/ui_test_support.h"
#include "ui/values.h"

namespace {

using namespace DuiLib;

void WriteFile(const std::filesystem::path& p, const std::string& text) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

// Points the resource path at a temp folder for one test.
class SkinFolder {
public:
    SkinFolder() : m_old(CPaintManagerUI::GetResourcePath()) {
        CPaintManagerUI::SetResourcePath(CDuiString::FromUtf8(m_dir.path().string()));
    }
    ~SkinFolder() { CPaintManagerUI::SetResourcePath(m_old); }
    void Write(const std::string& name, const std::string& text) { WriteFile(m_dir / name, text); }
    std::filesystem::path Path(const std::string& name) const { return m_dir / name; }

private:
    orvel::testing::TempFolder m_dir;
    CDuiString m_old;
};

class Thing : public CControlUI {
public:
    LPCTSTR GetClass() const override { return L"Thing"; }
};

class Callback : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(LPCTSTR pstrClass) override {
        asked.push_back(pstrClass);
        if (std::wstring(pstrClass) == L"MyPanel") return new CHorizontalLayoutUI;
        return nullptr;
    }
    std::vector<std::wstring> asked;
};

TEST(BuilderTest, FindsControlsByNameAndComparesTagsWithoutCase) {
    uitest::Host host(L"<Window><VerticalLayout name='root'><BUTTON name='b1'/><button name='b2'/><label name='l'/></VerticalLayout></Window>");
    ASSERT_NE(host.root, nullptr);
    EXPECT_EQ(host.root->GetName(), L"root");
    ASSERT_NE(host.Find(L"b1"), nullptr);
    EXPECT_NE(host.Find(L"b1")->GetInterface(DUI_CTR_BUTTON), nullptr);
    EXPECT_NE(host.Find(L"b2")->GetInterface(DUI_CTR_BUTTON), nullptr);
    EXPECT_NE(host.Find(L"l")->GetInterface(DUI_CTR_LABEL), nullptr);
    EXPECT_EQ(host.pm.FindSubControlByName(host.root, L"b2"), host.Find(L"b2"));
    EXPECT_EQ(host.Find(L"B1"), nullptr) << "names are case-sensitive";
    CControlUI* b1 = host.Find(L"b1");
    b1->SetName(L"renamed");
    EXPECT_EQ(host.Find(L"renamed"), b1);
    EXPECT_EQ(host.Find(L"b1"), nullptr);
}

TEST(BuilderTest, UnknownTagsGoToTheCallbackAndAreDroppedWhenNobodyMakesThem) {
    Callback cb;
    uitest::Host host(L"<Window><VerticalLayout><MyPanel name='p'><Control name='inside'/></MyPanel>"
                      L"<Mystery name='m'><Control name='lost'/></Mystery></VerticalLayout></Window>",
                      400, 300, 96, &cb);
    EXPECT_NE(host.Find(L"p"), nullptr);
    EXPECT_NE(host.Find(L"inside"), nullptr);
    EXPECT_EQ(host.Find(L"m"), nullptr);
    EXPECT_EQ(host.Find(L"lost"), nullptr);
    EXPECT_EQ(cb.asked, (std::vector<std::wstring>{L"MyPanel", L"Mystery"}));
}

TEST(BuilderTest, DefaultListComesBeforeOwnAttributesAndStylesApplyInPlace) {
    uitest::Host host(L"<Window><Default name='Button' value='width=&quot;30&quot; text=&quot;default&quot;'/>"
                      L"<Style name='tall' value='height=&quot;22&quot; userdata=&quot;styled&quot;'/>"
                      L"<HorizontalLayout><Button name='b' text='own'/><Control name='c' style='tall'/>"
                      L"<Control name='d' innerstyle='height=&quot;7&quot;' custom='kept'/></HorizontalLayout></Window>");
    auto* b = host.Find(L"b");
    EXPECT_EQ(b->GetFixedWidth(), 30);
    EXPECT_EQ(b->GetText(), L"own");
    EXPECT_EQ(host.Find(L"c")->GetFixedHeight(), 22);
    EXPECT_EQ(host.Find(L"c")->GetUserData(), L"styled");
    EXPECT_EQ(host.Find(L"d")->GetFixedHeight(), 7);
    EXPECT_STREQ(host.Find(L"d")->GetCustomAttribute(L"custom"), L"kept");
}

TEST(BuilderTest, DuplicateAttributesApplyInOrder) {
    uitest::Host host(L"<Window><Control name='c' width='10' width='20'/></Window>");
    EXPECT_EQ(host.Find(L"c")->GetFixedWidth(), 20);
}

TEST(BuilderTest, IncludeRepeatsAFileFoundByABackslashName) {
    SkinFolder skin;
    skin.Write("parts/row.xml", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window><Control height=\"10\" userdata=\"row\"/></Window>");
    uitest::Host host(L"<Window><VerticalLayout name='list'><Include source='parts\\row.xml' count='3'/></VerticalLayout></Window>");
    auto* list = host.Find<CVerticalLayoutUI>(L"list");
    ASSERT_EQ(list->GetCount(), 3);
    EXPECT_EQ(list->GetItemAt(2)->GetUserData(), L"row");
}

TEST(BuilderTest, LayoutIdsComeFromTheResourceIndex) {
    SkinFolder skin;
    skin.Write("res.xml", "<Res><Group><Xml id=\"XML_T\" path=\"XML\\t.xml\"/><Xml id=\"XML_T\" path=\"other.xml\"/></Group>"
                          "<Image id=\"IMG\" path=\"a.png\"/></Res>");
    skin.Write("XML/t.xml", "<Window size=\"320,200\" caption=\"0,0,0,30\"><Control name=\"fromid\"/></Window>");
    ASSERT_TRUE(CResourceManager::GetInstance()->LoadResource(L"res.xml"));
    EXPECT_STREQ(CResourceManager::GetInstance()->GetXmlPath(L"XML_T"), L"XML\\t.xml") << "the first id wins";
    EXPECT_STREQ(CResourceManager::GetInstance()->GetImagePath(L"IMG"), L"a.png");
    uitest::App();
    CPaintManagerUI pm;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"XML_T", nullptr, nullptr, &pm);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), L"fromid");
    EXPECT_EQ(pm.GetInitSize().cx, 320);
    EXPECT_EQ(pm.GetCaptionRect().bottom, 30);
    delete root;
    CResourceManager::GetInstance()->Release();
}

TEST(BuilderTest, ReadsSkinsWrittenForTheLenientReader) {
    SkinFolder skin;
    skin.Write("lenient.xml", std::string("\xEF\xBB\xBF") +
                                  "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Window>\r\n<?ActiveX name=\"gone\" /?>\r\n"
                                  "<Label name=\"amp\" text=\"Run (&S) &amp; stop\"/>\r\n</Window>");
    uitest::Host host(L"lenient.xml");
    ASSERT_NE(host.Find(L"amp"), nullptr);
    EXPECT_EQ(host.Find(L"amp")->GetText(), L"Run (&S) & stop");
    EXPECT_EQ(host.Find(L"gone"), nullptr);
}

TEST(BuilderTest, FontsAreRegisteredByIdOrByOrder) {
    uitest::Host host(L"<Window><Font id='3' name='Sans' size='20' bold='true'/><Font name='Sans' size='9'/>"
                      L"<Font id='5' name='Sans' size='15' default='true'/><Control/></Window>");
    ASSERT_NE(host.pm.GetFontInfo(3), nullptr);
    EXPECT_EQ(host.pm.GetFontInfo(3)->iSize, 20);
    EXPECT_TRUE(host.pm.GetFontInfo(3)->bBold);
    EXPECT_EQ(host.pm.GetFontInfo(0)->iSize, 9) << "a font without id takes the first free number";
    EXPECT_EQ(host.pm.GetDefaultFontInfo()->iSize, 15);
    EXPECT_EQ(host.pm.GetFontInfo(42)->iSize, 15) << "an unknown id gives the default font";
}

TEST(BuilderTest, RegisteredControlsAreBuiltByTheirTag) {
    CControlFactory::GetInstance()->RegistControl(L"CThingUI", [] { return static_cast<CControlUI*>(new Thing); });
    uitest::Host host(L"<Window><thing name='t'/></Window>");
    ASSERT_NE(host.Find(L"t"), nullptr);
    EXPECT_STREQ(host.Find(L"t")->GetClass(), L"Thing");
}

class Query : public IQueryControlText {
public:
    LPCTSTR QueryControlText(LPCTSTR id, LPCTSTR) override { return std::wstring(id) == L"asked" ? L"answered" : nullptr; }
};

TEST(BuilderTest, LanguageTextsReplaceIdsAndKeepOlderEntries) {
    auto* rm = CResourceManager::GetInstance();
    rm->ResetTextMap();
    ASSERT_TRUE(rm->LoadLanguage(L"<Res><Text id='hello' value='Hallo'/><Text id='bye' value='Tschuess'/><Text id='novalue'/></Res>"));
    ASSERT_TRUE(rm->LoadLanguage(L"<Res><Text id='hello' value='Hello'/></Res>"));
    uitest::Host host(L"<Window><HorizontalLayout><Label name='a' resourcetext='true' text='hello'/>"
                      L"<Label name='b' resourcetext='true' text='bye'/><Label name='c' resourcetext='true' text='missing'/>"
                      L"<Label name='d' text='hello'/></HorizontalLayout></Window>");
    EXPECT_EQ(host.Find(L"a")->GetText(), L"Hello");
    EXPECT_EQ(host.Find(L"b")->GetText(), L"Tschuess");
    EXPECT_EQ(host.Find(L"c")->GetText(), L"missing");
    EXPECT_EQ(host.Find(L"d")->GetText(), L"hello");
    Query q;
    rm->SetTextQueryInterface(&q);
    EXPECT_EQ(rm->GetText(L"asked"), L"answered");
    rm->Release();
}

TEST(BuilderTest, ValuesAreReadAsSkinsWriteThem) {
    EXPECT_EQ(values::ParseColor(L"#FF102030"), 0xFF102030u);
    EXPECT_EQ(values::ParseColor(L"0x80FFFFFF"), 0x80FFFFFFu);
    EXPECT_EQ(values::ParseColor(L"#FFFFFF"), 0x00FFFFFFu) << "six digits leave alpha 0";
    EXPECT_EQ(values::ParseInt(L"12px"), 12);
    EXPECT_EQ(values::ParseRect(L"10, 20, 78, 42"), uitest::Rect(10, 20, 78, 42));
    EXPECT_EQ(values::ParseRect(L"1,2"), uitest::Rect(1, 2, 0, 0));
    EXPECT_TRUE(values::ParseBool(L"true"));
    EXPECT_FALSE(values::ParseBool(L"1"));
    auto list = values::ParseAttributeList(L"a=\"1\"  b=\"x y\",c=&quot;z&quot;");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].second, L"x y");
    EXPECT_EQ(list[2].second, L"z");
}

TEST(BuilderTest, CharacterReferencesGiveTheirCharacters) {
    auto* rm = CResourceManager::GetInstance();
    rm->ResetTextMap();
    ASSERT_TRUE(rm->LoadLanguage(L"<Res><Text id='lines' value='one&#10;two'/><Text id='more' value='Wait&#x2026;'/>"
                                 L"<Text id='named' value='&lt;&#38;&gt;'/>"
                                 L"<Text id='kept' value='&#xZZ; &#; &#0; &#x110000; &#12 & &#xD800;'/></Res>"));
    EXPECT_EQ(rm->GetText(L"lines"), L"one\ntwo");
    EXPECT_EQ(rm->GetText(L"more"), L"Wait\u2026");
    EXPECT_EQ(rm->GetText(L"named"), L"<&>");
    EXPECT_EQ(rm->GetText(L"kept"), L"&#xZZ; &#; &#0; &#x110000; &#12 & &#xD800;") << "what is not a character XML allows stays as written";
    rm->Release();
}

} // namespace

// The skin reader builds layouts as the toolkit and the main window do; the checks above and
// the program's own lookup checks rely on it, so its rules are pinned on a small skin here.

#include <gtest/gtest.h>

#include <fstream>

#include "tests/skin/skin_reader.h"
#include "tests/support/temp_folder.h"

namespace {

void Write(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

class SkinReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        Write(dir / "res.xml", R"(<Res><Group><Xml id="XML_PAGE" path="page.xml"/></Group><Xml id="XML_PAGE" path="other.xml"/></Res>)");
        Write(dir / "theme.xml", R"(<Window defaultfontcolor="#FFE8EAF0">
              <Style name="base" value="height=&quot;32&quot; visible=&quot;false&quot;"/>
              <Style name="hidden_key" value="style=&quot;base&quot; resourcetext=&quot;true&quot;"/>
              <Default name="Button" value="width=&quot;10&quot; bkcolor=&quot;#FF000001&quot;"/></Window>)");
        Write(dir / "XML" / "keys.xml", R"(<Window><Button name="k1"/><Button name="k2" bkcolor="#FF000002"/></Window>)");
        Write(dir / "page.xml", R"(<Window size="10,20"><Include source="theme.xml"/>
              <HorizontalLayout name="top">
                <Label name="a" style="hidden_key" height="8"/>
                <Label name="b" height="8" style="base"/>
                <SelectPanel name="panel"><Include source="XML\keys.xml"/></SelectPanel>
                <LightSetControlUI name="LightControlItem" visible="false"/>
                <Label name="a"/>
              </HorizontalLayout></Window>)");
    }
    orvel::testing::TempFolder temp;
    std::filesystem::path dir = temp.path();
};

TEST_F(SkinReaderTest, StylesDefaultsAndOwnAttributesApplyInDocumentOrder) {
    const skincheck::Skin skin(dir);
    const skincheck::Layout page = skin.Load("XML_PAGE", false);
    EXPECT_EQ(page.file, "XML_PAGE");
    EXPECT_EQ(page.window.at("size"), "10,20");
    EXPECT_EQ(page.window.at("defaultfontcolor"), "#FFE8EAF0");
    // A style expands where it stands, styles within styles too; later attributes win.
    const std::vector<const skincheck::Control*> as = page.Find("a");
    ASSERT_EQ(as.size(), 2u);
    EXPECT_EQ(as[0]->Attr("visible"), "false");
    EXPECT_EQ(as[0]->Attr("resourcetext"), "true");
    EXPECT_EQ(as[0]->Attr("height"), "8");
    EXPECT_EQ(page.Find("b").at(0)->Attr("height"), "32");
    EXPECT_FALSE(as[1]->Has("visible"));
    // A tag's Default comes before the element's own attributes.
    EXPECT_EQ(page.Find("k1").at(0)->Attr("bkcolor"), "#FF000001");
    EXPECT_EQ(page.Find("k2").at(0)->Attr("bkcolor"), "#FF000002");
    EXPECT_EQ(page.Find("k2").at(0)->Attr("width"), "10");
}

TEST_F(SkinReaderTest, IncludesAndSubLayoutsBuildIntoTheirPlace) {
    Write(dir / "XML" / "CustomControlXML" / "LightControl.xml", R"(<Window><LightControl name="inner" width="5"><Label name="deep"/></LightControl></Window>)");
    const skincheck::Skin skin(dir);
    const skincheck::Layout page = skin.Load("page.xml");
    const skincheck::Control* panel = page.Find("panel").at(0);
    ASSERT_EQ(panel->children.size(), 2u);
    EXPECT_EQ(panel->children[0]->Name(), "k1");
    EXPECT_EQ(panel->children[0]->file, "XML/keys.xml");
    EXPECT_EQ(panel->children[0]->parent, panel);
    // The sub-layout's root takes the outer element's attributes over its own.
    const skincheck::Control* light = page.Find("LightControlItem").at(0);
    EXPECT_EQ(light->tag, "LightControl");
    EXPECT_EQ(light->Attr("width"), "5");
    EXPECT_EQ(light->Attr("visible"), "false");
    EXPECT_TRUE(page.Find("inner").empty());
    EXPECT_EQ(page.Find("deep").at(0)->parent, light);
    // Without sub-layouts the tag stays as written.
    EXPECT_EQ(skin.Load("page.xml", false).Find("LightControlItem").at(0)->tag, "LightSetControlUI");
}

TEST_F(SkinReaderTest, BrokenOrMissingFilesAreErrors) {
    const skincheck::Skin skin(dir);
    EXPECT_THROW(skin.Load("nothing.xml"), std::runtime_error);
    Write(dir / "broken.xml", "<Window><Label name=\"x\"></Window>");
    EXPECT_THROW(skin.Load("broken.xml"), std::runtime_error);
    // The page names a sub-layout whose file is missing.
    EXPECT_THROW(skin.Load("page.xml"), std::runtime_error);
}

TEST_F(SkinReaderTest, LanguageFilesAndImageDescriptions) {
    Write(dir / "lan.xml", R"(<Language><Text id="a" value="A&#10;b"/><Text id="no_value"/><Group><Text id="b" value="B"/></Group></Language>)");
    const std::map<std::string, std::string> texts = skincheck::LoadLanguage(dir / "lan.xml");
    EXPECT_EQ(texts, (std::map<std::string, std::string>{{"a", "A\nb"}, {"b", "B"}}));
    EXPECT_EQ(skincheck::ImageFile("common/x.png"), "common/x.png");
    EXPECT_EQ(skincheck::ImageFile("file='a b.svg' dest='0,0,1,1'"), "a b.svg");
    EXPECT_EQ(skincheck::ImageFile("dest='0,0,1,1' res='r.png'"), "r.png");
    EXPECT_EQ(skincheck::ImageFile(""), "");
}

} // namespace

// Layouts written in the toolkit's usual style (the fixture skin) load and render as written.

#include <gtest/gtest.h>

#include <QImage>

#include "tests/ui/ui_test_support.h"

namespace {

using namespace DuiLib;

class FixtureSkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::App();
        RegisterCustomControls();
        m_old = CPaintManagerUI::GetResourcePath();
        std::string dir = std::string(UI_FIXTURE_DIR) + "/skin";
        CPaintManagerUI::SetResourcePath(CDuiString::FromUtf8(dir));
        ASSERT_TRUE(CResourceManager::GetInstance()->LoadResource(L"res.xml"));
    }
    void TearDown() override {
        CResourceManager::GetInstance()->Release();
        CPaintManagerUI::SetResourcePath(m_old);
    }
    CDuiString m_old;
};

TEST_F(FixtureSkinTest, DemoWindowLoadsAndRenders) {
    uitest::Host host(L"XML_DEMO", 560, 380);
    ASSERT_NE(host.root, nullptr);
    EXPECT_EQ(host.pm.GetInitSize().cx, 560);
    EXPECT_EQ(host.pm.GetCaptionRect().bottom, 40);
    for (const wchar_t* name : {L"closebtn", L"tab_0", L"pages", L"bright", L"prog", L"name", L"mode", L"sync", L"ring", L"list"})
        EXPECT_NE(host.Find(name), nullptr) << QString::fromWCharArray(name).toStdString();
    EXPECT_EQ(host.Find<CComboUI>(L"mode")->GetText(), L"Static");
    EXPECT_EQ(host.Find<CListUI>(L"list")->GetCurSel(), 1);
    EXPECT_TRUE(host.Find<COptionUI>(L"tab_0")->IsSelected());
    EXPECT_EQ(host.Find(L"tab_0")->GetFixedWidth(), 90) << "the style applies";
    QImage img;
    ASSERT_TRUE(host.pm.RenderToImage(&img, SIZE{560, 380}));
    img = img.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(300, 20), 0xFF20252Fu) << "title bar";
    EXPECT_EQ(img.pixel(300, 300), 0xFF1A1E26u) << "window background";
    RECT prog = host.Find(L"prog")->GetPos();
    EXPECT_EQ(img.pixel(prog.left + 20, (prog.top + prog.bottom) / 2), 0xFF3A7BD5u) << "progress value part";
    EXPECT_TRUE(host.pm.IsCaptionPoint(POINT{300, 20}));
    EXPECT_FALSE(host.pm.IsCaptionPoint(host.Center(L"closebtn"))) << "buttons in the caption take clicks";
}

TEST_F(FixtureSkinTest, KeyPanelIncludesRowsAndScalesAt144) {
    uitest::Host host(L"XML_KEYS", 390, 300, 144);
    auto keys = host.pm.FindSubControlsByClass(host.root, L"DeviceKeyButton");
    ASSERT_EQ(keys.size(), 12u);
    EXPECT_EQ(keys[0]->GetPos(), uitest::Rect(15, 15, 75, 75));
    QImage img;
    ASSERT_TRUE(host.pm.RenderToImage(&img, SIZE{390, 300}));
}

TEST_F(FixtureSkinTest, MenuLayoutBuilds) {
    uitest::Host host(L"menu.xml", 160, 80);
    auto* menu = static_cast<CMenuUI*>(host.root->GetInterface(DUI_CTR_MENU));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->GetCount(), 4);
    EXPECT_EQ(menu->GetItemAt(3)->GetName(), L"exit");
    auto* insert = static_cast<CMenuElementUI*>(menu->GetItemAt(1)->GetInterface(DUI_CTR_MENUELEMENT));
    ASSERT_NE(insert, nullptr);
    EXPECT_EQ(insert->GetSubItemCount(), 3) << "sub-menu items stay inside their item";
}


TEST_F(FixtureSkinTest, ListsTreeAndTilesLoadAndRender) {
    uitest::Host host(L"XML_LISTS", 640, 420);
    ASSERT_NE(host.root, nullptr);
    auto* tree = host.Find<CTreeViewUI>(L"tree");
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->GetCount(), 7);
    EXPECT_EQ(tree->GetCurSel(), tree->GetItemIndex(host.Find(L"n_mice")));
    EXPECT_EQ(host.Find<CTreeNodeUI>(L"n_k2_rx")->GetTreeLevel(), 2);
    EXPECT_TRUE(host.Find<CTreeNodeUI>(L"n_audio")->GetCheckBox()->IsVisible());
    auto* table = host.Find<CListUI>(L"table");
    EXPECT_TRUE(table->IsMultiSelect());
    EXPECT_EQ(table->GetListInfo()->nColumns, 3);
    EXPECT_EQ(table->GetCurSel(), 0);
    auto* tiles = host.Find<CTileLayoutUI>(L"tiles");
    EXPECT_EQ(tiles->GetColumns(), 3);
    EXPECT_EQ(host.Find(L"tile_dpi")->GetPos().top - host.Find(L"tile_light")->GetPos().top, 64) << "tile height + gap";

    QImage img;
    ASSERT_TRUE(host.pm.RenderToImage(&img, SIZE{640, 420}));
    img = img.convertToFormat(QImage::Format_ARGB32);
    RECT mice = host.Find(L"n_mice")->GetPos();
    EXPECT_EQ(img.pixel(mice.right - 4, (mice.top + mice.bottom) / 2), 0xFF3A4A66u) << "selected tree row";
    RECT row0 = table->GetItemAt(0)->GetPos();
    EXPECT_EQ(img.pixel(row0.right - 20, (row0.top + row0.bottom) / 2), 0xFFC1E3FFu) << "selected list row";
    RECT folder = host.Find<CTreeNodeUI>(L"n_keyboards")->GetFolderButton()->GetPos();
    EXPECT_NE(img.pixel((folder.left + folder.right) / 2, folder.top + 7), 0xFF20252Fu) << "the folder image is drawn";
}

} // namespace

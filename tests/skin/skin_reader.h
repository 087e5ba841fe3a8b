#pragma once
// Reads the skin's layouts and language files the way the program sees them, for checks that
// compare them with what the code looks up. No Qt and no toolkit: pugixml only.
//
//   skincheck::Skin skin(ORVEL_SOURCE_DIR "/skin");
//   skincheck::Layout page = skin.Load("XML\\DeviceXml\\mousedevice.xml");
//   for (const skincheck::Control* c : page.Find("DPI_slider_0")) c->tag, c->Attr("sendmove") ...
//   std::map<std::string, std::string> en = skincheck::LoadLanguage(skin.Folder() / "lan_en.xml");
//
// A layout is read as the toolkit builds it: a res.xml id names its file; backslashes in file
// names are folder separators; <Include source="..."/> is replaced by the controls of that file
// and registers its Style and Default entries; a control's attributes are its tag's Default
// list, then its own attributes in document order with every style="..." expanded where it
// stands (attribute names in lower case, as the toolkit compares them). With sub-layouts on,
// the program's sub-layout tags ("LightSetControlUI", ...) are replaced by the root control of
// their file, with the outer element's attributes applied over that root, as the main window
// builds them. Every failure (missing file, broken XML) throws std::runtime_error.

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace skincheck {

struct Control {
    std::string tag;                           // as written, e.g. "Option"
    std::map<std::string, std::string> attrs;  // effective attributes, names in lower case
    std::string file;                          // the layout file the element is written in
    const Control* parent = nullptr;
    std::vector<std::unique_ptr<Control>> children;

    // The attribute's value, or "" when the control has none.
    std::string Attr(const std::string& name) const;
    bool Has(const std::string& name) const;
    std::string Name() const { return Attr("name"); }
    // Its controls at every depth, in document order.
    std::vector<const Control*> Descendants() const;
};

struct Layout {
    std::string file;                            // the file read (skin-relative, '/' separators)
    std::map<std::string, std::string> window;   // attributes of the Window roots, own and included
    std::map<std::string, std::string> styles;   // Style name -> attribute list
    std::unique_ptr<Control> root;               // the first control, as the builder returns it

    // Every control with that name, in document order (several may share one).
    std::vector<const Control*> Find(const std::string& name) const;
    std::vector<const Control*> All() const;
};

// The program's sub-layout tags and the files the main window builds for them.
const std::map<std::string, std::string>& SubLayoutFiles();

class Skin {
public:
    explicit Skin(std::filesystem::path folder);
    const std::filesystem::path& Folder() const { return m_folder; }
    // The file of a layout name or res.xml id.
    std::filesystem::path Resolve(const std::string& name) const;
    Layout Load(const std::string& name, bool buildSubLayouts = true) const;

private:
    std::filesystem::path m_folder;
    std::map<std::string, std::string> m_xmlIds;
};

// A language file: every Text element's id and value.
std::map<std::string, std::string> LoadLanguage(const std::filesystem::path& file);

// The image file names an image attribute refers to: the plain name, or the file='...' /
// res='...' part of a description. Empty for an empty attribute.
std::string ImageFile(const std::string& description);

} // namespace skincheck

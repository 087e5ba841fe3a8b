#include "tests/skin/skin_reader.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <functional>
#include <stdexcept>

namespace skincheck {
namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

std::string Slashes(std::string s) {
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}

void LoadXml(pugi::xml_document& doc, const std::filesystem::path& file) {
    pugi::xml_parse_result r = doc.load_file(file.c_str());
    if (!r) throw std::runtime_error(file.string() + ": " + r.description() + " at offset " + std::to_string(r.offset));
}

// name="value" pairs of an attribute list, as the toolkit reads Style and Default values.
std::vector<std::pair<std::string, std::string>> AttributeList(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> out;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (std::isspace(static_cast<unsigned char>(text[i])) || text[i] == ',')) ++i;
        size_t start = i;
        while (i < text.size() && text[i] != '=' && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        std::string name = text.substr(start, i - start);
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (name.empty() || i >= text.size() || text[i] != '=') break;
        ++i;
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i >= text.size() || text[i] != '"') break;
        size_t value = ++i;
        while (i < text.size() && text[i] != '"') ++i;
        if (i >= text.size()) break;
        out.emplace_back(name, text.substr(value, i - value));
        ++i;
    }
    return out;
}

bool IsResourceTag(const std::string& lowerTag) {
    return lowerTag == "font" || lowerTag == "image" || lowerTag == "default" || lowerTag == "style" || lowerTag == "import";
}

class Builder {
public:
    Builder(const Skin& skin, Layout& layout, bool subLayouts) : m_skin(skin), m_layout(layout), m_subLayouts(subLayouts) {}

    // Builds the controls of a file's root into parent (null: the layout's root); returns the first.
    Control* BuildFile(const std::string& name, Control* parent, int depth) {
        if (depth > 16) throw std::runtime_error(name + ": includes nest too deep");
        const std::filesystem::path path = m_skin.Resolve(name);
        auto doc = std::make_unique<pugi::xml_document>();
        LoadXml(*doc, path);
        pugi::xml_node root = doc->document_element();
        const std::string file = std::filesystem::relative(path, m_skin.Folder()).generic_string();
        if (Lower(root.name()) == "window") {
            for (pugi::xml_attribute a : root.attributes()) m_layout.window[Lower(a.name())] = a.value();
        }
        for (pugi::xml_node n : root.children()) Register(n);
        Control* first = nullptr;
        for (pugi::xml_node n : root.children()) {
            Control* c = Build(n, parent, file, depth);
            if (!first) first = c;
        }
        return first;
    }

private:
    void Register(const pugi::xml_node& n) {
        const std::string tag = Lower(n.name());
        if (tag == "style") m_layout.styles[n.attribute("name").value()] = n.attribute("value").value();
        else if (tag == "default") m_defaults[n.attribute("name").value()] = n.attribute("value").value();
    }

    void Apply(Control& c, const std::string& name, const std::string& value, int depth = 0) {
        const std::string key = Lower(name);
        if (key == "style" && depth < 8) {
            auto it = m_layout.styles.find(value);
            if (it != m_layout.styles.end()) {
                for (const auto& [n, v] : AttributeList(it->second)) Apply(c, n, v, depth + 1);
            }
            return;
        }
        c.attrs[key] = value;
    }

    Control* Adopt(std::unique_ptr<Control> c, Control* parent) {
        Control* raw = c.get();
        if (parent) {
            c->parent = parent;
            parent->children.push_back(std::move(c));
        } else if (!m_layout.root) {
            m_layout.root = std::move(c);
        } else {
            m_orphans.push_back(std::move(c));
        }
        return raw;
    }

    Control* Build(const pugi::xml_node& n, Control* parent, const std::string& file, int depth) {
        if (n.type() != pugi::node_element) return nullptr;
        const std::string tag = Lower(n.name());
        if (IsResourceTag(tag) || tag == "window") return nullptr;
        if (tag == "include") return BuildFile(n.attribute("source").value(), parent, depth + 1);
        if (m_subLayouts) {
            for (const auto& [subTag, subFile] : SubLayoutFiles()) {
                if (Lower(subTag) != tag) continue;
                Control* root = BuildFile(subFile, parent, depth + 1);
                if (!root) throw std::runtime_error(subFile + ": no control to build for " + n.name());
                for (pugi::xml_attribute a : n.attributes()) Apply(*root, a.name(), a.value());
                return root;
            }
        }
        auto c = std::make_unique<Control>();
        c->tag = n.name();
        c->file = file;
        if (auto d = m_defaults.find(c->tag); d != m_defaults.end()) {
            for (const auto& [name, value] : AttributeList(d->second)) Apply(*c, name, value);
        }
        for (pugi::xml_attribute a : n.attributes()) Apply(*c, a.name(), a.value());
        Control* raw = Adopt(std::move(c), parent);
        for (pugi::xml_node child : n.children()) Build(child, raw, file, depth);
        return raw;
    }

    const Skin& m_skin;
    Layout& m_layout;
    bool m_subLayouts;
    std::map<std::string, std::string> m_defaults;
    std::vector<std::unique_ptr<Control>> m_orphans;
};

void Collect(const Control& c, std::vector<const Control*>& out) {
    for (const auto& child : c.children) {
        out.push_back(child.get());
        Collect(*child, out);
    }
}

} // namespace

std::string Control::Attr(const std::string& name) const {
    auto it = attrs.find(Lower(name));
    return it == attrs.end() ? std::string() : it->second;
}

bool Control::Has(const std::string& name) const { return attrs.count(Lower(name)) != 0; }

std::vector<const Control*> Control::Descendants() const {
    std::vector<const Control*> out;
    Collect(*this, out);
    return out;
}

std::vector<const Control*> Layout::All() const {
    std::vector<const Control*> out;
    if (!root) return out;
    out.push_back(root.get());
    Collect(*root, out);
    return out;
}

std::vector<const Control*> Layout::Find(const std::string& name) const {
    std::vector<const Control*> out;
    for (const Control* c : All()) {
        if (c->Name() == name) out.push_back(c);
    }
    return out;
}

const std::map<std::string, std::string>& SubLayoutFiles() {
    static const std::map<std::string, std::string> files = {
        {"DeviceProfileUI", "XML\\CustomControlXML\\DeviceProfile.xml"},
        {"LightSetControlUI", "XML\\CustomControlXML\\LightControl.xml"},
        {"Voice6533SetControlUI", "XML\\CustomControlXML\\Voice6533Control.xml"},
        {"MagicSetControlUI", "XML\\CustomControlXML\\MagicControl.xml"},
        {"KeySetControlUI", "XML\\CustomControlXML\\KeySetControl.xml"},
        {"MacroSetControlUI", "XML\\CustomControlXML\\MacroControl.xml"},
        {"ShootKeySetControlUI", "XML\\CustomControlXML\\ShootControl.xml"},
        {"VirtualSetControlUI", "XML\\CustomControlXML\\VirtualSet.xml"},
    };
    return files;
}

Skin::Skin(std::filesystem::path folder) : m_folder(std::move(folder)) {
    pugi::xml_document doc;
    LoadXml(doc, m_folder / "res.xml");
    // Groups may nest; the first definition of an id wins.
    std::function<void(const pugi::xml_node&)> walk = [&](const pugi::xml_node& parent) {
        for (pugi::xml_node n : parent.children()) {
            if (n.type() != pugi::node_element) continue;
            if (std::string(n.name()) == "Xml" && n.attribute("id")) m_xmlIds.emplace(n.attribute("id").value(), n.attribute("path").value());
            walk(n);
        }
    };
    walk(doc.document_element());
}

std::filesystem::path Skin::Resolve(const std::string& name) const {
    auto it = m_xmlIds.find(name);
    return m_folder / Slashes(it == m_xmlIds.end() ? name : it->second);
}

Layout Skin::Load(const std::string& name, bool buildSubLayouts) const {
    Layout layout;
    layout.file = Slashes(name);
    Builder(*this, layout, buildSubLayouts).BuildFile(name, nullptr, 0);
    if (!layout.root) throw std::runtime_error(name + ": no control");
    return layout;
}

std::map<std::string, std::string> LoadLanguage(const std::filesystem::path& file) {
    pugi::xml_document doc;
    LoadXml(doc, file);
    std::map<std::string, std::string> out;
    for (pugi::xpath_node t : doc.select_nodes("//Text[@id and @value]")) {
        out.emplace(t.node().attribute("id").value(), t.node().attribute("value").value());
    }
    return out;
}

std::string ImageFile(const std::string& description) {
    if (description.find('=') == std::string::npos) return description;
    for (const char* key : {"file='", "res='"}) {
        size_t p = description.find(key);
        if (p == std::string::npos || (p > 0 && description[p - 1] != ' ')) continue;
        p += std::string(key).size();
        size_t end = description.find('\'', p);
        if (end != std::string::npos) return description.substr(p, end - p);
    }
    return std::string();
}

} // namespace skincheck

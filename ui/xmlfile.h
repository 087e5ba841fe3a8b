#pragma once
// Loading layout, index and language XML leniently, as skins are written: a BOM is skipped,
// "<? ... ?>" anywhere counts as a comment, and an '&' that starts neither one of the five
// named entities nor a character reference ("&#10;", "&#x2026;") stays literal. Files over 4 MiB are refused.

#include <string>

#include "ui/core.h"

namespace pugi {
class xml_document;
}

namespace DuiLib::xmlfile {

// pstrXml is XML text when it starts with '<', else a resource name (res.xml ids are looked
// up for layouts when asLayout is set).
bool Load(pugi::xml_document& doc, LPCTSTR pstrXml, bool asLayout = false);
// Prepares raw file bytes for the parser (exposed for tests).
std::string Clean(std::string text);

} // namespace DuiLib::xmlfile

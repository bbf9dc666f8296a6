#pragma once
// What the styles part ([E1] 17.7) contributes to the text: hidden text
// (w:vanish) and list numbering (w:numPr) inherited through w:basedOn.

#include "engine/docx/PackageParts.h"
#include "engine/docx/XmlParser.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace plainora::engine::docx {

struct StyleNumbering
{
    int numId = 0;
    std::optional<int> level;
};

// A style is read the first time the text names it (most of a style sheet
// is styles no paragraph uses), from the part kept as a tree; a part that
// cannot be kept is read whole, through the same events.
class StyleSheet : public DeferringReader
{
public:
    // True when the style or one it is based on hides its text.
    bool hides(std::string_view styleId) const;
    // The numbering a paragraph style applies, through its basedOn chain.
    std::optional<StyleNumbering> numbering(std::string_view styleId) const;
    // A fault in a style the text named, which is parsed only then.
    const Status& fault() const { return m_unread.fault(); }
    // The paragraph style used when a paragraph names none.
    std::string_view defaultParagraphStyle() const { return m_defaultParagraph; }

    void startElement(Ns ns, std::string_view local, const XmlAttributes& attributes) override;
    void endElement(Ns ns, std::string_view local) override;
    void characters(std::string_view) override {}

private:
    struct Style
    {
        std::string basedOn;
        std::optional<bool> vanish;
        std::optional<int> numId;
        std::optional<int> level;
    };
    // Looked up by the ids the text names, without copying them.
    struct IdHash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view id) const { return std::hash<std::string_view>{}(id); }
    };

    template <typename Get>
    auto walk(std::string_view styleId, Get get) const -> decltype(get(std::declval<const Style&>()));
    const Style* find(std::string_view styleId) const;

    void keep(const std::shared_ptr<XmlTree>& tree) override { m_unread.keep(tree); }

    DeferredElements<std::string> m_unread;
    std::unordered_map<std::string, Style, IdHash, std::equal_to<>> m_styles;
    std::string m_defaultParagraph;
    Style* m_current = nullptr;
    bool m_inRunProperties = false;
    bool m_inNumPr = false;
};

// "true" unless the attribute says "0", "false" or "off" ([E1] 17.17.4 ST_OnOff).
bool onOff(const char* value);
// An integer attribute, or fallback when absent or not a number.
int intValue(const char* value, int fallback);

} // namespace plainora::engine::docx

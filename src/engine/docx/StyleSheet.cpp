#include "engine/docx/StyleSheet.h"

#include "engine/Limits.h"

#include <charconv>
#include <cstring>

namespace plainora::engine::docx {

// basedOn chains are short; a longer one is a loop.
using limits::kMaxStyleChain;

bool onOff(const char* value)
{
    if (!value)
        return true;
    return std::strcmp(value, "0") != 0 && std::strcmp(value, "false") != 0 && std::strcmp(value, "off") != 0;
}

int intValue(const char* value, int fallback)
{
    if (!value)
        return fallback;
    const char* end = value + std::strlen(value);
    int result = 0;
    const auto [ptr, ec] = std::from_chars(value, end, result);
    return ec == std::errc() ? result : fallback;
}

template <typename Get>
auto StyleSheet::walk(std::string_view styleId, Get get) const -> decltype(get(std::declval<const Style&>()))
{
    // Styles stay where they are once read, so the chain's ids can be viewed.
    std::string_view id = styleId;
    for (int i = 0; i < kMaxStyleChain && !id.empty(); ++i) {
        const Style* style = find(id);
        if (!style)
            break;
        if (auto found = get(*style))
            return found;
        id = style->basedOn;
    }
    return {};
}

const StyleSheet::Style* StyleSheet::find(std::string_view styleId) const
{
    if (const auto it = m_styles.find(styleId); it != m_styles.end())
        return &it->second;
    if (mode() != Mode::Resolving)
        return nullptr;
    // Reading a style on first sight changes what is cached, not what the
    // sheet answers.
    auto& self = const_cast<StyleSheet&>(*this);
    self.m_unread.read(std::string(styleId), self);
    self.m_current = nullptr; // in case a fault cut the walk short
    self.m_inRunProperties = self.m_inNumPr = false;
    const auto it = m_styles.find(styleId);
    return it == m_styles.end() ? nullptr : &it->second;
}

bool StyleSheet::hides(std::string_view styleId) const
{
    return walk(styleId, [](const Style& style) { return style.vanish; }).value_or(false);
}

std::optional<StyleNumbering> StyleSheet::numbering(std::string_view styleId) const
{
    return walk(styleId, [](const Style& style) -> std::optional<StyleNumbering> {
        if (!style.numId)
            return std::nullopt;
        return StyleNumbering{*style.numId, style.level};
    });
}

void StyleSheet::startElement(Ns ns, std::string_view local, const XmlAttributes& attributes)
{
    // The root's children are all an index needs.
    if (mode() == Mode::Indexing && (ns != Ns::W || local != "styles"))
        parser()->skipContent();
    if (ns != Ns::W)
        return;
    if (local == "style") {
        const char* id = attributes.get(Ns::W, "styleId");
        if (mode() == Mode::Indexing) {
            m_unread.add(id ? id : "", parser()->currentElement());
        } else {
            m_current = &m_styles[id ? id : ""];
            if (mode() == Mode::Resolving)
                return;
        }
        const char* type = attributes.get(Ns::W, "type");
        if (type && std::strcmp(type, "paragraph") == 0 && onOff(attributes.get(Ns::W, "default")) &&
            attributes.get(Ns::W, "default") && id)
            m_defaultParagraph = id;
        return;
    }
    if (!m_current)
        return;
    if (local == "basedOn") {
        const char* value = attributes.get(Ns::W, "val");
        m_current->basedOn = value ? value : "";
    } else if (local == "rPr") {
        m_inRunProperties = true;
    } else if (local == "vanish" && m_inRunProperties) {
        m_current->vanish = onOff(attributes.get(Ns::W, "val"));
    } else if (local == "numPr") {
        m_inNumPr = true;
    } else if (m_inNumPr && local == "numId") {
        m_current->numId = intValue(attributes.get(Ns::W, "val"), 0);
    } else if (m_inNumPr && local == "ilvl") {
        m_current->level = intValue(attributes.get(Ns::W, "val"), 0);
    }
}

void StyleSheet::endElement(Ns ns, std::string_view local)
{
    if (ns != Ns::W)
        return;
    if (local == "style")
        m_current = nullptr;
    else if (local == "rPr")
        m_inRunProperties = false;
    else if (local == "numPr")
        m_inNumPr = false;
}

} // namespace plainora::engine::docx

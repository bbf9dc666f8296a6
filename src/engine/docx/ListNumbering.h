#pragma once
// List labels from the numbering part ([E1] 17.9): abstract definitions,
// their instances with overrides, and the running counters a word processor
// keeps while it lays the document out.

#include "engine/NumberFormat.h"
#include "engine/docx/PackageParts.h"
#include "engine/docx/XmlParser.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace plainora::engine::docx {

class StyleSheet;

// A list definition is read the first time a paragraph uses it, from the
// part kept as a tree; a part that cannot be kept is read whole, through
// the same events.
class ListNumbering : public DeferringReader
{
public:
    static constexpr int kLevels = 9;

    // The label and its suffix for the next paragraph of list numId at
    // level; advances the counters. Empty when the list is unknown or numId
    // is 0 (numbering removed, [E1] 17.9.18).
    std::string nextLabel(int numId, int level);
    // The level a paragraph numbered through style styleId takes: the level
    // whose w:pStyle names the style, else the style's own, else 0.
    int levelForStyle(int numId, std::string_view styleId, std::optional<int> styleLevel) const;

    // A fault in a list definition the text named, which is parsed only then.
    Status fault() const { return m_unreadNums.fault() ? m_unreadAbstracts.fault() : m_unreadNums.fault(); }
    // Follows w:numStyleLink through the styles ([E1] 17.9.21).
    void setStyles(const StyleSheet* styles) { m_styles = styles; }

    void startElement(Ns ns, std::string_view local, const XmlAttributes& attributes) override;
    void endElement(Ns ns, std::string_view local) override;
    void characters(std::string_view) override {}

private:
    enum class Suffix { Tab, Space, Nothing };
    struct Level
    {
        int start = 0;
        NumberFormat format = NumberFormat::Decimal;
        std::string text;
        bool hasText = false;
        int restart = -1; // -1: omitted
        bool legal = false;
        Suffix suffix = Suffix::Tab;
        std::string paragraphStyle;
        std::string font;
    };
    struct AbstractNum
    {
        std::array<Level, kLevels> levels;
        std::string numStyleLink;
    };
    struct Num
    {
        int abstractId = -1;
        std::array<std::optional<int>, kLevels> startOverride;
        std::array<std::optional<Level>, kLevels> levelOverride;
        bool used = false;
    };
    struct Counters
    {
        std::array<int, kLevels> value{};
        std::array<bool, kLevels> started{};
    };

    const AbstractNum* abstractFor(int numId, int* abstractId) const;
    // The instance or definition of that id, read on first sight.
    const Num* findNum(int numId) const;
    const AbstractNum* findAbstract(int abstractId) const;
    const Level& levelOf(const Num& num, const AbstractNum& abstract, int level) const;
    Level* currentLevel();

    std::unordered_map<int, AbstractNum> m_abstracts;
    std::unordered_map<int, Num> m_nums;
    std::unordered_map<int, Counters> m_counters; // by abstract id: instances share one list
    // What a numId leads to, found the first time it numbers a paragraph;
    // no num where it leads nowhere.
    struct Instance
    {
        Num* num = nullptr;
        const AbstractNum* abstract = nullptr;
        Counters* counters = nullptr;
    };
    std::unordered_map<int, Instance> m_instances;
    const StyleSheet* m_styles = nullptr;

    void keep(const std::shared_ptr<XmlTree>& tree) override
    {
        m_unreadAbstracts.keep(tree);
        m_unreadNums.keep(tree);
    }

    DeferredElements<int> m_unreadAbstracts;
    DeferredElements<int> m_unreadNums;

    // Parse state.
    AbstractNum* m_abstract = nullptr;
    Num* m_num = nullptr;
    int m_overrideLevel = -1;
    int m_level = -1;
    bool m_inLevelRunProperties = false;
};

} // namespace plainora::engine::docx

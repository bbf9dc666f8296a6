#include "engine/docx/ListNumbering.h"

#include "engine/TextEncoding.h"
#include "engine/docx/StyleSheet.h"

#include <cstring>

namespace plainora::engine::docx {

namespace {

// Decodes one UTF-8 character at text[pos]; invalid bytes come back as
// themselves, one at a time.
char32_t nextCodePoint(std::string_view text, std::size_t& pos)
{
    const auto byte = static_cast<unsigned char>(text[pos++]);
    int extra = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
    char32_t cp = extra == 3 ? byte & 0x07 : extra == 2 ? byte & 0x0F : extra == 1 ? byte & 0x1F : byte;
    if (pos + static_cast<std::size_t>(extra) > text.size())
        return byte;
    for (int i = 0; i < extra; ++i)
        cp = (cp << 6) | (static_cast<unsigned char>(text[pos++]) & 0x3F);
    return cp;
}

} // namespace

ListNumbering::Level* ListNumbering::currentLevel()
{
    if (m_level < 0)
        return nullptr;
    if (m_abstract)
        return &m_abstract->levels[static_cast<std::size_t>(m_level)];
    if (m_num && m_overrideLevel >= 0)
        return &*m_num->levelOverride[static_cast<std::size_t>(m_overrideLevel)];
    return nullptr;
}

void ListNumbering::startElement(Ns ns, std::string_view local, const XmlAttributes& attributes)
{
    // The root's children are all an index needs.
    if (mode() == Mode::Indexing && (ns != Ns::W || local != "numbering"))
        parser()->skipContent();
    if (ns != Ns::W)
        return;
    const char* val = attributes.get(Ns::W, "val");
    if (local == "abstractNum") {
        const int id = intValue(attributes.get(Ns::W, "abstractNumId"), -1);
        if (mode() == Mode::Indexing) {
            m_unreadAbstracts.add(id, parser()->currentElement());
            return;
        }
        m_abstract = &m_abstracts[id];
        return;
    }
    if (local == "num" && !m_abstract) {
        const int id = intValue(attributes.get(Ns::W, "numId"), -1);
        if (mode() == Mode::Indexing) {
            m_unreadNums.add(id, parser()->currentElement());
            return;
        }
        m_num = &m_nums[id];
        return;
    }
    if (m_num && !m_abstract) {
        if (local == "abstractNumId") {
            m_num->abstractId = intValue(val, -1);
        } else if (local == "lvlOverride") {
            const int level = intValue(attributes.get(Ns::W, "ilvl"), -1);
            m_overrideLevel = level >= 0 && level < kLevels ? level : -1;
        } else if (local == "startOverride" && m_overrideLevel >= 0) {
            m_num->startOverride[static_cast<std::size_t>(m_overrideLevel)] = intValue(val, 0);
        } else if (local == "lvl" && m_overrideLevel >= 0) {
            m_num->levelOverride[static_cast<std::size_t>(m_overrideLevel)] = Level{};
            m_level = m_overrideLevel;
        }
    }
    if (local == "lvl" && m_abstract) {
        const int level = intValue(attributes.get(Ns::W, "ilvl"), -1);
        m_level = level >= 0 && level < kLevels ? level : -1;
        return;
    }
    if (local == "numStyleLink" && m_abstract && val) {
        m_abstract->numStyleLink = val;
        return;
    }
    Level* level = currentLevel();
    if (!level)
        return;
    if (local == "start") {
        level->start = intValue(val, 0);
    } else if (local == "numFmt") {
        level->format = numberFormatFromOoxml(val ? val : "decimal");
    } else if (local == "lvlText") {
        level->text = val ? val : "";
        level->hasText = true;
    } else if (local == "lvlRestart") {
        level->restart = intValue(val, -1);
    } else if (local == "isLgl") {
        level->legal = onOff(val);
    } else if (local == "suff") {
        const std::string_view suffix = val ? val : "tab";
        level->suffix = suffix == "space"     ? Suffix::Space
                        : suffix == "nothing" ? Suffix::Nothing
                                              : Suffix::Tab;
    } else if (local == "pStyle") {
        level->paragraphStyle = val ? val : "";
    } else if (local == "rPr") {
        m_inLevelRunProperties = true;
    } else if (local == "rFonts" && m_inLevelRunProperties) {
        const char* font = attributes.get(Ns::W, "ascii");
        if (!font)
            font = attributes.get(Ns::W, "hAnsi");
        if (font)
            level->font = font;
    }
}

void ListNumbering::endElement(Ns ns, std::string_view local)
{
    if (ns != Ns::W)
        return;
    if (local == "abstractNum") {
        m_abstract = nullptr;
        m_level = -1;
    } else if (local == "num") {
        m_num = nullptr;
    } else if (local == "lvlOverride") {
        m_overrideLevel = -1;
        m_level = -1;
    } else if (local == "lvl") {
        m_level = -1;
    } else if (local == "rPr") {
        m_inLevelRunProperties = false;
    }
}

const ListNumbering::AbstractNum* ListNumbering::abstractFor(int numId, int* abstractId) const
{
    // A numbering style link may lead through a style to another instance;
    // follow a few hops at most.
    for (int hop = 0; hop < 4; ++hop) {
        const Num* num = findNum(numId);
        if (!num)
            return nullptr;
        const AbstractNum* abstract = findAbstract(num->abstractId);
        if (!abstract)
            return nullptr;
        if (abstract->numStyleLink.empty() || !m_styles) {
            *abstractId = num->abstractId;
            return abstract;
        }
        const auto linked = m_styles->numbering(abstract->numStyleLink);
        if (!linked || linked->numId == numId) {
            *abstractId = num->abstractId;
            return abstract;
        }
        numId = linked->numId;
    }
    return nullptr;
}

// Reading an element on first sight changes what is cached, not what the
// numbering answers.
const ListNumbering::Num* ListNumbering::findNum(int numId) const
{
    if (mode() == Mode::Resolving) {
        auto& self = const_cast<ListNumbering&>(*this);
        self.m_unreadNums.read(numId, self);
        self.m_num = nullptr; // in case a fault cut the walk short
        self.m_overrideLevel = self.m_level = -1;
        self.m_inLevelRunProperties = false;
    }
    const auto it = m_nums.find(numId);
    return it == m_nums.end() ? nullptr : &it->second;
}

const ListNumbering::AbstractNum* ListNumbering::findAbstract(int abstractId) const
{
    if (mode() == Mode::Resolving) {
        auto& self = const_cast<ListNumbering&>(*this);
        self.m_unreadAbstracts.read(abstractId, self);
        self.m_abstract = nullptr;
        self.m_level = -1;
        self.m_inLevelRunProperties = false;
    }
    const auto it = m_abstracts.find(abstractId);
    return it == m_abstracts.end() ? nullptr : &it->second;
}

inline const ListNumbering::Level& ListNumbering::levelOf(const Num& num, const AbstractNum& abstract,
                                                          int level) const
{
    const auto index = static_cast<std::size_t>(level);
    if (num.levelOverride[index])
        return *num.levelOverride[index];
    return abstract.levels[index];
}

int ListNumbering::levelForStyle(int numId, std::string_view styleId, std::optional<int> styleLevel) const
{
    int abstractId = -1;
    if (const AbstractNum* abstract = abstractFor(numId, &abstractId)) {
        for (int level = 0; level < kLevels; ++level) {
            if (abstract->levels[static_cast<std::size_t>(level)].paragraphStyle == styleId)
                return level;
        }
    }
    const int level = styleLevel.value_or(0);
    return level >= 0 && level < kLevels ? level : 0;
}

std::string ListNumbering::nextLabel(int numId, int level)
{
    if (numId <= 0 || level < 0 || level >= kLevels)
        return {};
    auto [found, inserted] = m_instances.try_emplace(numId);
    Instance& instance = found->second;
    if (inserted) {
        int abstractId = -1;
        instance.abstract = abstractFor(numId, &abstractId);
        if (findNum(numId) && instance.abstract) {
            instance.num = &m_nums.find(numId)->second;
            instance.counters = &m_counters[abstractId];
        }
    }
    if (!instance.num)
        return {};
    Num& num = *instance.num;
    const AbstractNum* abstract = instance.abstract;
    Counters& counters = *instance.counters;

    // An instance with start overrides restarts those levels where it is
    // first used ([E1] 17.9.26).
    if (!num.used) {
        num.used = true;
        for (int k = 0; k < kLevels; ++k) {
            if (num.startOverride[static_cast<std::size_t>(k)])
                counters.started[static_cast<std::size_t>(k)] = false;
        }
    }
    auto startOf = [&](int k) {
        const auto index = static_cast<std::size_t>(k);
        return num.startOverride[index].value_or(levelOf(num, *abstract, k).start);
    };

    // Deeper levels restart when this level or an earlier one is used,
    // unless their w:lvlRestart says otherwise ([E1] 17.9.10).
    for (int k = level + 1; k < kLevels; ++k) {
        const int restart = levelOf(num, *abstract, k).restart;
        if (restart < 0 || (restart > 0 && level < restart))
            counters.started[static_cast<std::size_t>(k)] = false;
    }
    const auto index = static_cast<std::size_t>(level);
    if (!counters.started[index]) {
        counters.value[index] = startOf(level);
        counters.started[index] = true;
    } else if (counters.value[index] < 0x7FFFFFFF) {
        ++counters.value[index];
    }

    const Level& definition = levelOf(num, *abstract, level);
    const std::string_view text = definition.hasText ? std::string_view(definition.text) : std::string_view();
    // Plain ASCII of a text font is copied as it stands.
    const bool symbolFont = !definition.font.empty() && isSymbolFont(definition.font);
    std::string label;
    for (std::size_t pos = 0; pos < text.size();) {
        if (text[pos] == '%' && pos + 1 < text.size() && text[pos + 1] >= '1' && text[pos + 1] <= '9') {
            const int k = text[pos + 1] - '1';
            pos += 2;
            if (k > level)
                continue; // placeholders of deeper levels are ignored ([E1] 17.9.11)
            const Level& shown = levelOf(num, *abstract, k);
            const auto shownIndex = static_cast<std::size_t>(k);
            const int value = counters.started[shownIndex] ? counters.value[shownIndex] : startOf(k);
            NumberFormat format = shown.format;
            if (definition.legal && format != NumberFormat::Bullet && format != NumberFormat::None)
                format = NumberFormat::Decimal; // legal numbering ([E1] 17.9.4)
            label += formatListNumber(value, format);
            continue;
        }
        if (static_cast<unsigned char>(text[pos]) < 0x80 && !symbolFont) {
            label.push_back(text[pos++]);
            continue;
        }
        appendUtf8(label, mapSymbolFontCharacter(definition.font, nextCodePoint(text, pos)));
    }
    if (label.empty())
        return {};
    switch (definition.suffix) {
    case Suffix::Tab:
        label.push_back('\t');
        break;
    case Suffix::Space:
        label.push_back(' ');
        break;
    case Suffix::Nothing:
        break;
    }
    return label;
}

} // namespace plainora::engine::docx

// The table of the control words the RTF reader knows, built once per process.

#include "engine/rtf/RtfReader.h"

#include <tuple>

namespace plainora::engine::rtf {

namespace {

// Control words that each stand for one character.
constexpr std::pair<const char*, const char*> kCharacterWords[] = {
    {"emdash", "\u2014"},    {"endash", "\u2013"},    {"emspace", "\u2003"}, {"enspace", "\u2002"},
    {"qmspace", "\u2005"},   {"bullet", "\u2022"},    {"lquote", "\u2018"},  {"rquote", "\u2019"},
    {"ldblquote", "\u201C"}, {"rdblquote", "\u201D"}, {"zwj", "\u200D"},     {"zwnj", "\u200C"},
    {"ltrmark", "\u200E"},   {"rtlmark", "\u200F"},
};

constexpr std::pair<const char*, Word> kWords[] = {
    {"par", Word::Par},
    {"line", Word::Line},
    {"tab", Word::Tab},
    {"page", Word::Page},
    {"sect", Word::Sect},
    {"column", Word::Column},
    {"cell", Word::Cell},
    {"nestcell", Word::NestCell},
    {"row", Word::Row},
    {"nestrow", Word::NestRow},
    {"chftn", Word::Chftn},
    {"u", Word::U},
    {"uc", Word::Uc},
    {"f", Word::F},
    {"af", Word::Af},
    {"plain", Word::Plain},
    {"pard", Word::Pard},
    {"intbl", Word::Intbl},
    {"itap", Word::Itap},
    {"v", Word::V},
    {"deleted", Word::Deleted},
    {"fromhtml", Word::FromHtml},
    {"htmltag", Word::HtmlTag},
    {"htmlrtf", Word::HtmlRtf},
    {"rtlch", Word::Rtlch},
    {"ltrch", Word::Ltrch},
    {"ansi", Word::Ansi},
    {"mac", Word::Mac},
    {"pc", Word::Pc},
    {"pca", Word::Pca},
    {"ansicpg", Word::Ansicpg},
    {"deff", Word::Deff},
    {"fcharset", Word::Fcharset},
    {"cpg", Word::Cpg},
    {"ftnstart", Word::FtnStart},
    {"aftnstart", Word::AftnStart},
    {"sftnstart", Word::SftnStart},
    {"saftnstart", Word::SaftnStart},
    {"sectd", Word::Sectd},
    {"field", Word::Field},
    {"fldinst", Word::Fldinst},
    {"fldrslt", Word::Fldrslt},
    {"fldpriv", Word::Fldpriv},
    {"formfield", Word::Formfield},
    {"fftype", Word::Fftype},
    {"ffres", Word::Ffres},
    {"ffdefres", Word::Ffdefres},
    {"fonttbl", Word::Fonttbl},
    {"footnote", Word::Footnote},
    {"ftnalt", Word::Ftnalt},
    {"annotation", Word::Annotation},
    {"upr", Word::Upr},
    {"ud", Word::Ud},
    {"object", Word::Object},
    {"result", Word::Result},
    {"shp", Word::Shp},
    {"shpinst", Word::Shpinst},
    {"shpgrp", Word::Shp},
    {"shptxt", Word::Shptxt},
    {"nesttableprops", Word::NestTableProps},
    {"listtext", Word::ListText},
    {"pntext", Word::ListText},
    {"listtable", Word::ListTable},
    {"listoverridetable", Word::ListOverrideTable},
    {"list", Word::List},
    {"listlevel", Word::ListLevel},
    {"levelfollow", Word::LevelFollow},
    {"listid", Word::ListId},
    {"listoverride", Word::ListOverride},
    {"ls", Word::Ls},
    {"ilvl", Word::Ilvl},
};

// Destinations without body text. Unknown \* destinations are skipped
// anyway; these are the ones written without \*.
constexpr const char* kSkippedDestinations[] = {
    "colortbl",     "stylesheet",
    "info",         "pict",
    "revtbl",       "rsidtbl",
    "filetbl",      "generator",
    "themedata",    "colorschememapping",
    "datastore",    "latentstyles",
    "xmlnstbl",     "mmathPr",
    "pgdsctbl",     "bkmkstart",
    "bkmkend",      "xe",
    "tc",           "tcn",
    "txe",          "rxe",
    "atnid",        "atnauthor",
    "atndate",      "atnicn",
    "atnref",       "atntime",
    "atrfstart",    "atrfend",
    "template",     "pn",
    "pntxta",       "pntxtb",
    "ftnsep",       "ftnsepc",
    "ftncn",        "aftnsep",
    "aftnsepc",     "aftncn",
    "nonshppict",   "shprslt",
    "nonesttables", "sp",
    "objdata",      "objclass",
    "objname",      "do",
    "private",      "userprops",
    "docvar",       "fchars",
    "lchars",       "comment",
    "title",        "author",
    "operator",     "keywords",
    "subject",      "doccomm",
    "company",      "category",
    "manager",      "hlinkbase",
    "bookmark",     "listpicture",
    "passwordhash", "wgrffmtfilter",
    "defchp",       "defpap",
    "mhtmltag",
};

// Note numbering restarts: 1 at each section; continuous or, without
// pages to count, each page: 0.
void addNoteRestarts(WordTable& t)
{
    for (const auto& [name, word, restart] : {std::tuple{"ftnrestart", Word::FtnRestart, 1},
                                              {"ftnrstcont", Word::FtnRestart, 0},
                                              {"ftnrstpg", Word::FtnRestart, 0},
                                              {"aftnrestart", Word::AftnRestart, 1},
                                              {"aftnrstcont", Word::AftnRestart, 0},
                                              {"sftnrestart", Word::SftnRestart, 1},
                                              {"sftnrstcont", Word::SftnRestart, 0},
                                              {"sftnrstpg", Word::SftnRestart, 0},
                                              {"saftnrestart", Word::SaftnRestart, 1},
                                              {"saftnrstcont", Word::SaftnRestart, 0}})
        t.emplace(name, WordInfo{word, restart});
}

// \ftnnar, \aftnnalc, \sftnnrlc, ...: a note number format.
void addNoteFormats(WordTable& t)
{
    const std::pair<const char*, NumberFormat> formats[] = {
        {"nar", NumberFormat::Decimal},      {"nalc", NumberFormat::LowerLetter},
        {"nauc", NumberFormat::UpperLetter}, {"nrlc", NumberFormat::LowerRoman},
        {"nruc", NumberFormat::UpperRoman},  {"nchi", NumberFormat::Chicago},
    };
    static std::vector<std::string> names; // keeps the composed names alive
    names.reserve(std::size(formats) * 4);
    for (const auto& [suffix, format] : formats) {
        for (const auto& [prefix, word] :
             {std::pair{"ftn", Word::FtnFormat}, std::pair{"aftn", Word::AftnFormat},
              std::pair{"sftn", Word::SftnFormat}, std::pair{"saftn", Word::SaftnFormat}}) {
            names.push_back(std::string(prefix) + suffix);
            t.emplace(names.back(), WordInfo{word, static_cast<int>(format)});
        }
    }
}

} // namespace

const WordTable& wordTable()
{
    static const WordTable table = [] {
        WordTable t;
        for (const auto& [name, word] : kWords)
            t.emplace(name, WordInfo{word});
        for (std::size_t i = 0; i < std::size(kCharacterWords); ++i)
            t.emplace(kCharacterWords[i].first, WordInfo{Word::Character, static_cast<int>(i)});
        addNoteRestarts(t);
        for (const char* name :
             {"header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf"})
            t.emplace(name, WordInfo{Word::HeaderFooter});
        for (const char* name : kSkippedDestinations)
            t.emplace(name, WordInfo{Word::SkipDestination});
        addNoteFormats(t);
        return t;
    }();
    return table;
}

const char* characterWordText(int index)
{
    return kCharacterWords[index].second;
}

} // namespace plainora::engine::rtf

#pragma once
// Fields whose result Word draws instead of storing: an EQ field keeps only
// its instruction. The one a text needs is the phonetic guide (ruby), which
// Word saves as EQ \o (overstrike) of a raised reading and its base text,
// for example  EQ \* jc2 \* hps10 \o\ad(\s\up 9(とうきょう),東京).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace plainora::engine {

// How much of a field's instruction a reader keeps, given what it kept so
// far: the start tells the field's kind; an EQ field is kept up to a bound.
std::size_t fieldInstructionBytesKept(std::string_view kept);

// The text an EQ instruction shows in plain text: the base text of its
// overstrike, readings (\s\up, \s\do) left out. nullopt for any other
// instruction, or an equation without an overstrike.
std::optional<std::string> equationFieldText(std::string_view instruction);

} // namespace plainora::engine

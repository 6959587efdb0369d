#pragma once

#include <array>

// The name of every text of the string tables. The ids are those of the tables (messages, then the
// prompts of the commands); a test holds the list and both tables to the same ids.
enum class TextId : int {
#define X(name, id) name = id,
#include "platform/textids.def"
#undef X
};

inline constexpr std::array allTextIds = {
#define X(name, id) TextId::name,
#include "platform/textids.def"
#undef X
};

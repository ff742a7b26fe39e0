// Application Entity titles as PS3.5 6.2 allows them (VR AE): at most 16
// characters of the default repertoire, no backslash, no control character;
// leading and trailing spaces are not significant. A title that breaks the
// rules is refused where it is used, never shortened: a shortened title
// may name another application entity.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelko {

inline constexpr std::size_t kAeTitleMaxLength = 16;

// Why `title` cannot be sent as an AE title ("is 18 characters long; at
// most 16 are allowed"), or nullopt when it can. An empty title is no
// concern of this check.
std::optional<std::string> AeTitleProblem(std::string_view title);

}  // namespace pelko

#pragma once
// Desktop entries, the shortcuts of this platform: a small key file that menus and file
// managers start programs from.

#include <filesystem>
#include <string>
#include <string_view>

// One argument of an Exec key: quoted when it holds a reserved character (blanks, quotes,
// backslashes, '$', backquotes, shell characters) or non-ASCII bytes, with '"', '`', '$' and
// '\' escaped inside the quotes; '%' doubled, since it starts a field code.
std::string QuoteExecArgument(std::string_view argument);

// The entry's text: Type=Application, Name, Exec (the target quoted, then `argument` if any)
// and Icon (a path or a theme icon name).
std::string DesktopEntryText(std::string_view name, const std::filesystem::path& target,
                             std::string_view argument, std::string_view icon);

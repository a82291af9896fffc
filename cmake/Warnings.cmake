# Every target of the project gets the same warning set through this interface library.
add_library(launcher_warnings INTERFACE)
target_compile_options(launcher_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Wformat=2
    -Wimplicit-fallthrough -Wnull-dereference)
option(LAUNCHER_WERROR "Treat warnings as errors" OFF)
if(LAUNCHER_WERROR)
    target_compile_options(launcher_warnings INTERFACE -Werror)
endif()

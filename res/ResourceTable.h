#pragma once
// The table that the build generates from the PNG files (see EmbedResources.cmake).

#include <cstddef>
#include <cstdint>

namespace resources::detail {

struct Entry {
    int id;
    const std::uint8_t* data;
    std::size_t size;
};

extern const Entry kEntries[];
extern const int kIds[];
extern const std::size_t kEntryCount;

}  // namespace resources::detail

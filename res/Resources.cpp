#include "res/Resources.h"

#include "res/ResourceTable.h"

namespace resources {

std::span<const std::uint8_t> FindResource(int id) {
    for (std::size_t i = 0; i < detail::kEntryCount; ++i) {
        if (detail::kEntries[i].id == id)
            return {detail::kEntries[i].data, detail::kEntries[i].size};
    }
    return {};
}

std::span<const int> ResourceIds() {
    return {detail::kIds, detail::kEntryCount};
}

}  // namespace resources

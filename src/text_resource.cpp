// Filling a Text from a module's string resources.
#include <QuendalText/Text.h>

#include "internal/raise_sites.h"
#include "platform/platform.h"

#include <algorithm>
#include <climits>
#include <memory>

namespace QuendalText {
namespace {

// A first guess that holds most resource strings.
constexpr int kFirstResourceCapacity = 256;
// The largest buffer: a text's longest string and its NUL (less than INT_MAX on 32-bit targets).
constexpr int kLargestResourceCapacity =
    static_cast<int>(std::min<std::size_t>(INT_MAX, detail::kMaxTextUnits + 1));

}  // namespace

Text::Text(ModuleHandle module, unsigned int id) : Text() { Load(module, id); }

void Text::Load(ModuleHandle module, unsigned int id) {
    int capacity = kFirstResourceCapacity;
    std::unique_ptr<UTF16Unit[]> buffer(new UTF16Unit[static_cast<std::size_t>(capacity)]);
    int loaded = platform::LoadResourceString(module, id, buffer.get(), capacity);
    // A string that filled the buffer may have been cut: try again with more room.
    while (loaded >= capacity - 1) {
        // A string that fills the largest buffer may be longer than a text can hold.
        if (capacity == kLargestResourceCapacity) detail::RaiseLengthError(detail::kLoadLengthSite);
        buffer.reset();
        // Doubling keeps a long string from being copied again and again.
        capacity =
            capacity > kLargestResourceCapacity / 2 ? kLargestResourceCapacity : 2 * capacity;
        buffer.reset(new UTF16Unit[static_cast<std::size_t>(capacity)]);
        loaded = platform::LoadResourceString(module, id, buffer.get(), capacity);
    }
    const UTF16Unit* units = buffer.get();
    const UTF16Unit* end = std::find(units, units + std::max(loaded, 0), UTF16Unit{0});
    Content.assign(units, end);
    RefreshCounts();
}

}  // namespace QuendalText

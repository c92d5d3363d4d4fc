// String resources: the table a module's strings live in, and the loader with the copying
// contract that Text::Load relies on.
#include <QuendalText/StringResource.h>

#include <algorithm>

namespace QuendalText {

StringTable::StringTable() = default;

StringTable::StringTable(std::initializer_list<StringResource> resources)
    : StringTable(resources.begin(), resources.size()) {}

StringTable::StringTable(const StringResource* resources, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const StringResource& resource = resources[i];
        Strings.emplace(resource.id,
                        resource.text != nullptr ? UTF16String(resource.text) : UTF16String());
    }
}

void StringTable::Set(unsigned int id, const UTF16String& text) { Strings[id] = text; }

const UTF16String* StringTable::Find(unsigned int id) const {
    const auto found = Strings.find(id);
    return found != Strings.end() ? &found->second : nullptr;
}

int LoadString(ModuleHandle module, unsigned int id, UTF16Unit* buffer, int capacity) {
    if (buffer == nullptr || capacity < 1) return 0;
    const UTF16String* text = module != nullptr ? module->Find(id) : nullptr;
    if (text == nullptr) {
        buffer[0] = 0;
        return 0;
    }
    const std::size_t copied = std::min(text->size(), static_cast<std::size_t>(capacity - 1));
    std::copy_n(text->data(), copied, buffer);
    buffer[copied] = 0;
    return static_cast<int>(copied);
}

}  // namespace QuendalText

// The ranges that segment UTF-16 units: code points and extended grapheme clusters.
#ifndef QUENDALTEXT_SEGMENTATION_H
#define QUENDALTEXT_SEGMENTATION_H

#include <QuendalText/Config.h>

#include <cstddef>
#include <iterator>
#include <memory>

namespace QuendalText {

/// The code points of UTF-16 units (Text::CodePoints): a surrogate pair gives its code point,
/// every other unit, an unpaired surrogate included, its own value. A forward range, valid
/// while the units it views are unchanged.
class QUENDALTEXT_API CodePointRange {
public:
    class QUENDALTEXT_API Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = char32_t;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = char32_t;

        Iterator() = default;
        char32_t operator*() const { return Current; }
        Iterator& operator++() {
            Position += Width;
            Decode();
            return *this;
        }
        Iterator operator++(int) {
            const Iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const Iterator& other) const { return Position == other.Position; }
        bool operator!=(const Iterator& other) const { return Position != other.Position; }
        /// Index of the current code point's first unit (the size of the units at the end).
        std::size_t Index() const { return Position; }

    private:
        friend class CodePointRange;
        Iterator(UTF16StringView units, std::size_t position) : Units(units), Position(position) {
            Decode();
        }
        // Reads the code point at Position into Current and its units into Width.
        void Decode();

        UTF16StringView Units;
        std::size_t Position = 0;
        std::size_t Width = 0;
        char32_t Current = 0;
    };

    explicit CodePointRange(UTF16StringView units) : Units(units) {}
    Iterator begin() const { return Iterator(Units, 0); }
    Iterator end() const { return Iterator(Units, Units.size()); }

private:
    UTF16StringView Units;
};

namespace detail {
struct GraphemeBreaks;  // the break iterator that a GraphemeRange and its iterators share
}

/// The extended grapheme clusters of UTF-16 units (Text::Graphemes), each a view of its units,
/// as the character break iterator of the linked ICU finds them (root locale). A forward range;
/// its iterators are valid while the range lives and the units it views are unchanged.
class QUENDALTEXT_API GraphemeRange {
public:
    class QUENDALTEXT_API Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = UTF16StringView;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = UTF16StringView;

        Iterator() = default;
        UTF16StringView operator*() const { return Units.substr(Start, End - Start); }
        Iterator& operator++() {
            Start = End;
            Advance();
            return *this;
        }
        Iterator operator++(int) {
            const Iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const Iterator& other) const { return Start == other.Start; }
        bool operator!=(const Iterator& other) const { return Start != other.Start; }

    private:
        friend class GraphemeRange;
        Iterator(const detail::GraphemeBreaks* breaks, UTF16StringView units, std::size_t start)
            : Breaks(breaks), Units(units), Start(start), End(start) {
            Advance();
        }
        // Moves End to the boundary after Start.
        void Advance();

        const detail::GraphemeBreaks* Breaks = nullptr;
        UTF16StringView Units;
        std::size_t Start = 0;
        std::size_t End = 0;
    };

    explicit GraphemeRange(UTF16StringView units);
    Iterator begin() const { return Iterator(Breaks.get(), Units, 0); }
    Iterator end() const { return Iterator(Breaks.get(), Units, Units.size()); }

private:
    UTF16StringView Units;
    std::shared_ptr<const detail::GraphemeBreaks> Breaks;
};

}  // namespace QuendalText

#endif  // QUENDALTEXT_SEGMENTATION_H

/// \file
/// The ranges that segment UTF-16 units: code points, extended grapheme clusters, and the segments
/// between word, sentence and line-break boundaries.
///
/// Every range here is bidirectional and views units it does not own. Its iterators stay valid
/// while those units are unchanged, whatever becomes of the range they came from, and share no
/// state with the range or with one another: a const range may be walked from many threads.
#ifndef QUENDALTEXT_SEGMENTATION_H
#define QUENDALTEXT_SEGMENTATION_H

#include <QuendalText/Config.h>

#include <cstddef>
#include <iterator>

namespace QuendalText {

/// The code points of UTF-16 units (Text::CodePoints): a surrogate pair gives its code point,
/// every other unit, an unpaired surrogate included, its own value.
class QUENDALTEXT_API CodePointRange {
    struct UnitsAreCodePoints {};

public:
    /// A bidirectional iterator over the code points; Index() gives the current position.
    class QUENDALTEXT_API Iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = char32_t;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = char32_t;

        Iterator() = default;
        /// The current code point.
        char32_t operator*() const {
            return Plain ? static_cast<char32_t>(Units.data()[Position]) : Current;
        }
        /// Moves to the next code point and returns this iterator.
        Iterator& operator++() {
            if (Plain) {
                ++Position;
                return *this;
            }
            Position += Width;
            Read();
            return *this;
        }
        /// Moves to the next code point and returns the iterator as it was.
        Iterator operator++(int) {
            const Iterator before = *this;
            ++*this;
            return before;
        }
        /// Moves to the previous code point and returns this iterator.
        Iterator& operator--() {
            if (Plain)
                Position -= Position != 0;
            else
                DecodeBefore();
            return *this;
        }
        /// Moves to the previous code point and returns the iterator as it was.
        Iterator operator--(int) {
            const Iterator after = *this;
            --*this;
            return after;
        }
        /// True when both stand at the same position.
        bool operator==(const Iterator& other) const { return Position == other.Position; }
        /// True when the positions differ.
        bool operator!=(const Iterator& other) const { return Position != other.Position; }
        /// Index of the current code point's first unit (the size of the units at the end).
        std::size_t Index() const { return Position; }

    private:
        friend class CodePointRange;
        Iterator(UTF16StringView units, std::size_t position, bool plain)
            : Units(units), Position(position), Plain(plain) {
            if (!plain) Read();
        }
        // Reads the code point at Position into Current and its units into Width (0 at the end).
        // Inline and without a call, so that a walk keeps the iterator in registers.
        void Read() {
            Width = 1;
            if (Position >= Units.size()) {
                Current = 0;
                Width = 0;
                return;
            }
            const std::uint32_t unit = Units[Position];
            Current = unit;
            if (detail::IsHighSurrogate(unit) && Position + 1 < Units.size()) {
                const std::uint32_t low = Units[Position + 1];
                if (detail::IsLowSurrogate(low)) {
                    Current = detail::DecodePair(unit, low);
                    Width = 2;
                }
            }
        }
        // Moves Position to the code point that ends where Position is, and reads it.
        void DecodeBefore();

        UTF16StringView Units;
        std::size_t Position = 0;
        std::size_t Width = 0;
        char32_t Current = 0;
        // Every unit is a code point, so a step is one unit and the value is read where it
        // stands: a walk over such units is a plain loop, which the compiler vectorizes.
        bool Plain = false;
    };

    /// The code points of `units`, which must outlive the range's iterators.
    explicit CodePointRange(UTF16StringView units) : Units(units) {}
    /// The first code point.
    Iterator begin() const { return Iterator(Units, 0, Plain); }
    /// The position after the last code point.
    Iterator end() const { return Iterator(Units, Units.size(), Plain); }

private:
    friend class Text;
    // Units known to hold no surrogate, with a unit after the last (a string's terminator).
    CodePointRange(UTF16StringView units, UnitsAreCodePoints) : Units(units), Plain(true) {}

    UTF16StringView Units;
    bool Plain = false;
};

namespace detail {

struct BreakState;  // a break iterator that one BreakWalk owns (defined by the library)

// The boundaries a BreakWalk finds.
enum class BreakKind : unsigned char { Character, Word, Sentence, Line };

// Where a segment iterator stands: the segment [Start, End) of Units, the boundary Before the
// segment when known, whether each is a word, and the break iterator it owns, made when first
// needed. A copy owns none until it needs one, so no two walks share one.
class QUENDALTEXT_API BreakWalk {
public:
    static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);

    BreakWalk() = default;
    // At the segment that begins at `start`, a boundary (the end: the size of the units).
    BreakWalk(UTF16StringView units, std::size_t start, BreakKind kind);
    BreakWalk(const BreakWalk& other) noexcept { CopyPlace(other); }
    BreakWalk(BreakWalk&& other) noexcept : State(other.State) {
        CopyPlace(other);
        other.State = nullptr;
    }
    BreakWalk& operator=(const BreakWalk& other) noexcept;
    BreakWalk& operator=(BreakWalk&& other) noexcept;
    ~BreakWalk() {
        if (State != nullptr) Release(State);
    }

    // To the segment after this one, or before it. Raise CPPException<std::runtime_error> when
    // ICU fails (memory, missing data), and then change nothing.
    void Next();
    void Previous();
    UTF16StringView Segment() const { return Units.substr(Start, End - Start); }

    UTF16StringView Units;
    std::size_t Before = kUnknown;
    std::size_t Start = 0;
    std::size_t End = 0;
    BreakKind Kind = BreakKind::Character;
    bool Word = false;
    bool BeforeWord = false;

private:
    void CopyPlace(const BreakWalk& other) noexcept {
        Units = other.Units;
        Before = other.Before;
        Start = other.Start;
        End = other.End;
        Kind = other.Kind;
        Word = other.Word;
        BeforeWord = other.BeforeWord;
    }
    // The end of the segment that begins at boundary `start`, and whether it is a word.
    void FindEnd(std::size_t start, std::size_t& end, bool& word);
    // The boundary before `boundary` (> 0) and whether the segment it begins is a word, found by
    // the pair rule when it can, else by the break iterator this walk owns (kUnknown when it owns
    // none and may not open one).
    void FindBefore(std::size_t boundary, std::size_t& before, bool& word, bool mayOpen);
    BreakState& Owned();
    static void Release(BreakState* state) noexcept;

    BreakState* State = nullptr;
};

}  // namespace detail

namespace detail {

// The operators that the grapheme and segment iterators share: a bidirectional iterator over the
// segments a BreakWalk finds, where Derived is the iterator class itself (which the operators
// return, and which alone may make one that stands somewhere).
template <class Derived>
class SegmentIterator {
public:
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = UTF16StringView;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = UTF16StringView;

    /// The current segment, a view of its units.
    UTF16StringView operator*() const { return Walk.Segment(); }
    /// Moves to the next segment and returns this iterator. Raises
    /// CPPException<std::runtime_error> when ICU fails, and then stays where it was.
    Derived& operator++() {
        Walk.Next();
        return Self();
    }
    /// Moves to the next segment and returns the iterator as it was; raises as ++it.
    Derived operator++(int) {
        const Derived before = Self();
        Walk.Next();
        return before;
    }
    /// Moves to the previous segment and returns this iterator; raises as ++it.
    Derived& operator--() {
        Walk.Previous();
        return Self();
    }
    /// Moves to the previous segment and returns the iterator as it was; raises as ++it.
    Derived operator--(int) {
        const Derived after = Self();
        Walk.Previous();
        return after;
    }
    /// True when both stand at the same segment.
    friend bool operator==(const Derived& left, const Derived& right) {
        return left.Walk.Start == right.Walk.Start;
    }
    /// True when the segments differ.
    friend bool operator!=(const Derived& left, const Derived& right) {
        return left.Walk.Start != right.Walk.Start;
    }

protected:
    SegmentIterator() = default;
    SegmentIterator(UTF16StringView units, std::size_t start, BreakKind kind)
        : Walk(units, start, kind) {}

    BreakWalk Walk;

private:
    Derived& Self() { return static_cast<Derived&>(*this); }
};

}  // namespace detail

/// The extended grapheme clusters of UTF-16 units (Text::Graphemes), each a view of its units,
/// as the character break iterator of the linked ICU finds them (root locale).
class QUENDALTEXT_API GraphemeRange {
public:
    /// A bidirectional iterator over the grapheme clusters: *it is the current cluster; ++ and --
    /// move by one cluster and raise CPPException<std::runtime_error> when ICU fails, staying
    /// where they were; == is true when both stand at the same cluster.
    class Iterator : public detail::SegmentIterator<Iterator> {
    public:
        Iterator() = default;

    private:
        friend class GraphemeRange;
        Iterator(UTF16StringView units, std::size_t start)
            : SegmentIterator(units, start, detail::BreakKind::Character) {}
    };

    /// The clusters of `units`, which must outlive the range's iterators. Raises
    /// CPPException<std::length_error> when `units` is longer than a text may be.
    explicit GraphemeRange(UTF16StringView units);
    /// The first cluster.
    Iterator begin() const { return Iterator(Units, 0); }
    /// The position after the last cluster.
    Iterator end() const { return Iterator(Units, Units.size()); }

private:
    UTF16StringView Units;
};

/// The segments of a text between consecutive boundaries of one kind (Text::Words,
/// Text::Sentences, Text::LineBreaks), each a view of its units, as ICU's break iterators of the
/// root locale find them.
class QUENDALTEXT_API SegmentRange {
public:
    /// A bidirectional iterator over the segments, with the operators of GraphemeRange::Iterator;
    /// IsWord() tells words apart in Words().
    class Iterator : public detail::SegmentIterator<Iterator> {
    public:
        Iterator() = default;
        /// Whether the current segment of Words() is a word: letters, numbers, ideographs or
        /// kana (ICU's word rule status is not "none"). Always false for sentences and lines.
        bool IsWord() const { return Walk.Word; }

    private:
        friend class SegmentRange;
        Iterator(UTF16StringView units, std::size_t start, detail::BreakKind kind)
            : SegmentIterator(units, start, kind) {}
    };

    /// The first segment.
    Iterator begin() const { return Iterator(Units, 0, Kind); }
    /// The position after the last segment.
    Iterator end() const { return Iterator(Units, Units.size(), Kind); }

private:
    friend class Text;
    SegmentRange(UTF16StringView units, detail::BreakKind kind) : Units(units), Kind(kind) {}

    UTF16StringView Units;
    detail::BreakKind Kind;
};

}  // namespace QuendalText

#endif  // QUENDALTEXT_SEGMENTATION_H

/// \file
/// QuendalText::Collator: locale-sensitive ordering of texts by ICU's collation.
#ifndef QUENDALTEXT_COLLATOR_H
#define QUENDALTEXT_COLLATOR_H

// Text.h includes this header at its end, once Text is defined; included first, this header
// brings Text.h in the same way.
#include <QuendalText/Config.h>
#include <QuendalText/Text.h>

#include <memory>
#include <string>
#include <string_view>

namespace QuendalText {

class Text;

namespace detail {
struct CollatorData;  // the ICU collator that copies of a Collator share
}

/// Orders texts as people of a locale expect ("Ärger" next to "Arger" in German, after "Zebra"
/// in Swedish), by the Unicode Collation Algorithm with the locale's tailoring from ICU, at
/// ICU's default strength (tertiary). Copies share one ICU collator, which nothing changes
/// after construction: copying is cheap, and Compare and SortKey are safe from many threads.
class QUENDALTEXT_API Collator {
public:
    /// The collation of `locale`, an ICU locale ID or BCP 47 tag ("de", "sv", "fr-CA",
    /// "de-u-co-phonebk"); "" is the root order. A locale that ICU has no collation for falls
    /// back as ICU does (to its parent, in the end the root order), without an error. Raises
    /// CPPException<std::runtime_error> with ICU's status name when ICU cannot open one.
    explicit Collator(std::string_view locale = "");
    /// Copies share the ICU collator; a move copies too, so no collator is ever left empty.
    Collator(const Collator& other) = default;
    /// Shares `other`'s ICU collator, as the copy does.
    Collator& operator=(const Collator& other) = default;
    /// Less than 0, 0 or greater than 0 as `a` orders before, equal to or after `b`.
    int Compare(const Text& a, const Text& b) const;
    /// Bytes whose order (as std::string compares, unsigned) is the order of Compare: equal
    /// keys for texts that compare equal. Raises as the constructor when ICU fails, and
    /// CPPException<std::length_error> for a key longer than a string holds (32-bit targets).
    std::string SortKey(const Text& text) const;

private:
    std::shared_ptr<const detail::CollatorData> Data;
};

}  // namespace QuendalText

#endif  // QUENDALTEXT_COLLATOR_H

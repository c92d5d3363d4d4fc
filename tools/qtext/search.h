// Searches of well-formed UTF-8 for the places where a line may hold a pattern: its bytes as they
// are, or a character whose full case folding holds a chosen character of the folded pattern.
// MatchedLineReader cuts the lines around what they find.
#ifndef QTEXT_SEARCH_H
#define QTEXT_SEARCH_H

#include <QuendalText/Text.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qtext {

// Two bytes at offsets from a place, both of which must be there for a candidate to begin there.
struct BytePair {
    std::size_t First;
    std::size_t Second;
    char FirstByte;
    char SecondByte;
};

class ByteSearch {
public:
    // Whether a candidate is a match, or only where one may be; a line is then asked.
    enum class Verdict { Match, Maybe };
    struct Candidate {
        std::size_t At;  // npos when there is none
        Verdict Is;
    };

    virtual ~ByteSearch() = default;
    // The first candidate at or after `from` in `bytes`, which begin a line and are well-formed
    // UTF-8 to their end (a character may be cut there).
    virtual Candidate Next(std::string_view bytes, std::size_t from) const = 0;
    // The most bytes a candidate spans: one that begins in the last reach - 1 bytes of what is
    // read so far is sought again once more is read.
    virtual std::size_t Reach() const = 0;
    // Whether `line` (well-formed UTF-8, without its line feed) holds a match; asked for the
    // line of a candidate that may be one.
    virtual bool LineHolds(std::string_view line) const = 0;
};

// A fixed string's UTF-8 bytes, which in well-formed text match exactly where its characters do.
class PatternSearch final : public ByteSearch {
public:
    // `pattern`: the UTF-8 bytes of a well-formed pattern, not empty and without a line feed.
    explicit PatternSearch(std::string pattern);
    Candidate Next(std::string_view bytes, std::size_t from) const override;
    std::size_t Reach() const override { return Pattern.size(); }
    bool LineHolds(std::string_view) const override { return true; }
    // The byte offset of the first match in `line` at or after `from`, or npos.
    std::size_t Find(std::string_view line, std::size_t from) const;
    std::size_t size() const { return Pattern.size(); }

private:
    std::string Pattern;
    BytePair Pair{};  // of its rarest-looking bytes
};

// A pattern sought by full case folding, as Text::FindFolded seeks it: each place where a
// character folds to something that holds one chosen character of the folded pattern (its
// key, the rarest by a rough estimate among those few characters fold into) is a candidate.
// Around it the characters on either side are folded and compared one at a time, which settles
// nearly every candidate without decoding the line; a character whose folding is longer than one
// leaves it to Text::FindFolded on the whole line, and so do the candidates past a budget of
// comparisons, so that a pattern that holds its key many times costs time linear in the input.
// When no character makes a key, every line that is not empty is a candidate for FindFolded.
class FoldedSearch final : public ByteSearch {
public:
    // `pattern`: not empty, without a line feed; a long line is decoded `pieceBytes` at a time.
    // Null only when the case properties cannot be read.
    static std::unique_ptr<FoldedSearch> For(const QuendalText::Text& pattern,
                                             std::size_t pieceBytes);
    Candidate Next(std::string_view bytes, std::size_t from) const override;
    std::size_t Reach() const override { return KeyReach; }
    bool LineHolds(std::string_view line) const override;
    // Calls found(start, end) with the byte offsets of each match in the well-formed UTF-8
    // `line`, as Text::FindFolded finds them left to right without overlaps, while it returns
    // true.
    void ForEachMatch(std::string_view line,
                      const std::function<bool(std::size_t, std::size_t)>& found) const;

    // A character that folds to something holding a character of the pattern.
    struct Source {
        char32_t CodePoint;
        bool FoldsToItAlone;  // its folding is that one character
        bool operator<(const Source& other) const { return CodePoint < other.CodePoint; }
    };

private:
    enum class Step { Match, Mismatch, Maybe };

    FoldedSearch() = default;
    // Whether the folded pattern can be matched with its `index`th character at the one that
    // begins at `at` and ends at `end` in `bytes`.
    // Each character compared is added to *compared.
    Step MatchAround(std::string_view bytes, std::size_t at, std::size_t end, std::size_t index,
                     std::size_t* compared) const;
    // Whether character `c` folds to the folded pattern's `index`th character alone (Match), to
    // nothing that holds it (Mismatch), or to more that holds it (Maybe).
    Step Compare(char32_t c, std::size_t index) const;

    QuendalText::Text Folded;
    std::vector<char32_t> CodePoints;          // of the folded pattern
    std::vector<std::size_t> Distinct;         // by position: its index in Sources
    std::vector<std::vector<Source>> Sources;  // by distinct character, sorted
    std::vector<std::size_t> KeyPositions;     // where the key is in the folded pattern
    std::vector<std::string> KeySources;       // UTF-8 of the key's sources
    std::vector<BytePair> KeyPairs;            // their first and last bytes
    std::vector<bool> KeySourceAlone;          // whether each folds to the key alone
    std::size_t KeyReach = 1;
    std::size_t PieceBytes = 0;
};

}  // namespace qtext

#endif  // QTEXT_SEARCH_H

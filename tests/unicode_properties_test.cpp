// Character properties and display width of every code point against the Unicode Character
// Database's files, and the width of texts against a small model over ICU's clusters.
#include "test_support.h"

#include <unicode/ubrk.h>

namespace {
using namespace qt_test;
namespace Unicode = QuendalText::Unicode;

constexpr std::uint32_t kCodePoints = 0x110000;
// The category enumerators' names, in their order.
const std::string kCategoryNames = "LuLlLtLmLoMnMcMeNdNlNoPcPdPsPePiPfPoSmScSkSoZsZlZpCcCfCsCoCn";

// The code points that `file` lists ("XXXX" or "XXXX..YYYY") with `value` in the second field.
std::vector<bool> Listed(const std::string& file, const std::string& value) {
    std::vector<bool> listed(kCodePoints);
    ForEachRecord(file, ';', [&](std::vector<std::string> f) {
        std::string v;
        if (!(std::istringstream(f[1]) >> v) || v != value) return;
        const std::size_t dots = f[0].find("..");
        const auto first = long(std::stoul(f[0], nullptr, 16));
        const auto last = dots == std::string::npos
                              ? first
                              : long(std::stoul(f[0].substr(dots + 2), nullptr, 16));
        std::fill(listed.begin() + first, listed.begin() + last + 1, true);
    });
    return listed;
}

// What the files tell of every code point: the category from UnicodeData.txt (ranges given by
// First and Last lines, unlisted code points Cn), the properties, and the width rules' inputs:
// East Asian Wide or Fullwidth (the ideograph ranges by the default EastAsianWidth.txt states
// for them) or Emoji_Presentation, and Emoji.
struct Database {
    std::vector<std::string> category = std::vector<std::string>(kCodePoints, "Cn");
    std::vector<bool> alphabetic = Listed("DerivedCoreProperties.txt", "Alphabetic");
    std::vector<bool> whiteSpace = Listed("PropList.txt", "White_Space");
    std::vector<bool> emoji = Listed("emoji/emoji-data.txt", "Emoji");
    std::vector<bool> wide = Listed("EastAsianWidth.txt", "W");
    Database() {
        std::uint32_t rangeFirst = 0;
        ForEachRecord("UnicodeData.txt", ';', [&](std::vector<std::string> f) {
            const auto c = std::uint32_t(std::stoul(f[0], nullptr, 16));
            if (f[1].find(", First>") != std::string::npos) rangeFirst = c;
            const bool last = f[1].find(", Last>") != std::string::npos;
            for (std::uint32_t d = last ? rangeFirst : c; d <= c; ++d) category[d] = f[2];
        });
        const std::vector<bool> full = Listed("EastAsianWidth.txt", "F"),
                                presentation = Listed("emoji/emoji-data.txt", "Emoji_Presentation");
        for (std::uint32_t c = 0; c < kCodePoints; ++c) {
            const bool ideograph = (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
                                   (c >= 0xF900 && c <= 0xFAFF) ||
                                   (c >= 0x20000 && c <= 0x3FFFD && (c & 0xFFFF) <= 0xFFFD);
            wide[c] = wide[c] || full[c] || presentation[c] || ideograph;
        }
    }
    // The columns of a cluster: 2 when it starts wide or has U+FE0F after an emoji, 0 when each
    // of its code points is a nonspacing or enclosing mark, a format character or a control.
    int Width(const CodePoints& cluster) const {
        bool selected = false, zero = true;
        for (std::size_t i = 0; i < cluster.size(); ++i) {
            selected = selected || (i > 0 && cluster[i] == 0xFE0F && emoji[cluster[i - 1]]);
            const std::string& gc = category[cluster[i]];
            zero = zero && (gc == "Mn" || gc == "Me" || gc == "Cf" || gc == "Cc");
        }
        return wide[cluster[0]] || selected ? 2 : zero ? 0 : 1;
    }
    // A text's columns: its clusters, found by ICU's break iterator called directly.
    int Width(const UTF16String& units) const {
        UErrorCode status = U_ZERO_ERROR;
        UBreakIterator* breaks =
            ubrk_open(UBRK_CHARACTER, "", reinterpret_cast<const UChar*>(units.data()),
                      int32_t(units.size()), &status);
        int columns = 0;
        for (int32_t start = 0, end = ubrk_next(breaks); end != UBRK_DONE;
             start = end, end = ubrk_next(breaks))
            columns += Width(Decode(units.substr(std::size_t(start), std::size_t(end - start))));
        ubrk_close(breaks);
        return columns;
    }
};
const Database& Files() {
    static const Database database;
    return database;
}

// Every code point, and values beyond Unicode (unassigned, one column); the width of a text of
// the code point alone too, for every one of the first two planes and a sample of the rest.
TEST(UnicodeProperties, EveryCodePointAsTheDatabaseFilesSay) {
    const char32_t kBeyond[] = {0x110000, 0x7FFFFFFF, 0xFFFFFFFF};
    int failures = 0;
    for (std::uint32_t c = 0; c < kCodePoints + 3 && failures < 20; ++c) {
        const char32_t value = c < kCodePoints ? c : kBeyond[c - kCodePoints];
        const bool listed = c < kCodePoints;
        const std::string gc = listed ? Files().category[c] : "Cn";
        const bool asText = listed && !IsSurrogate(c) && (c < 0x20000 || c % 61 == 0);
        const int width = listed ? Files().Width(CodePoints{c}) : 1;
        const auto held = std::make_tuple(
            kCategoryNames.substr(2 * std::size_t(Unicode::Category(value)), 2),
            Unicode::IsLetter(value), Unicode::IsDigit(value), Unicode::IsAlphabetic(value),
            Unicode::IsWhiteSpace(value), Unicode::Width(value),
            asText ? Text(ToUTF16({c})).DisplayWidth() : width);
        const auto expected =
            std::make_tuple(gc, gc[0] == 'L', gc == "Nd", listed && Files().alphabetic[c],
                            listed && Files().whiteSpace[c], width, width);
        if (held != expected) {
            ++failures;
            ADD_FAILURE() << "U+" << std::hex << value << ": " << testing::PrintToString(held)
                          << " instead of " << testing::PrintToString(expected);
        }
    }
}

// Every fully-qualified emoji sequence and emoji component of emoji-test.txt, and generated
// texts, as the model counts them: nearly all the sequences are one wide cluster (a modifier after
// a base shown as text by default, as in U+261D U+1F3FD, asks for no emoji presentation by the
// rules above).
TEST(DisplayWidth, EmojiAndGeneratedTextsAsTheModelCountsIcuClusters) {
    std::vector<UTF16String> texts;
    ForEachRecord("emoji/emoji-test.txt", ';', [&](std::vector<std::string> fields) {
        if (fields[1].find("fully-qualified") != std::string::npos ||
            fields[1].find("component") != std::string::npos)
            texts.push_back(UnitsOfHex(fields[0]));
    });
    EXPECT_GT(std::count_if(texts.begin(), texts.end(),
                            [](const UTF16String& units) { return Files().Width(units) == 2; }),
              3000);
    static const CodePoints kPool = {
        'a',     ' ',     '\t',    '\r',    '\n',    0x7F,    0xE9,    0x0301,  0x20E3,  0x200B,
        0x200D,  0xFE0F,  0xFE0E,  0x65E5,  0xFF21,  0xFF71,  0x1100,  0x1161,  0x11A8,  0xAC00,
        0x0E33,  0x0915,  0x094D,  0x2764,  0x1F44D, 0x1F3FD, 0x1F468, 0x1F1EB, 0x1F1F7, 0x0023,
        0x1F3F4, 0xE0067, 0xE007F, 0x20000, 0x3099,  0xAD,    0x0600,  0xD800,  0xDC00};
    Generator random{std::mt19937(1234)};
    for (int trial = 0; trial < 3000; ++trial) {
        CodePoints codePoints(std::size_t(random.Below(24)));
        for (std::uint32_t& c : codePoints) c = kPool[std::size_t(random.Below(int(kPool.size())))];
        texts.push_back(ToUTF16(codePoints));
    }
    for (const UTF16String& units : texts)
        EXPECT_EQ(Text(units).DisplayWidth(), Files().Width(units))
            << testing::PrintToString(units);
}

}  // namespace

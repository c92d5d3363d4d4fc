// Character properties against ICU called directly and against the Unicode Character Database
// files, for every code point; display width against a small model built from the files.
#include "test_support.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>

namespace {
using namespace qt_test;
namespace Unicode = QuendalText::Unicode;
using Unicode::GeneralCategory;

constexpr std::uint32_t kCodePoints = 0x110000;
// The enumerators' names, in their order.
const std::string kCategoryNames = "LuLlLtLmLoMnMcMeNdNlNoPcPdPsPePiPfPoSmScSkSoZsZlZpCcCfCsCoCn";
std::string NameOf(GeneralCategory c) { return kCategoryNames.substr(2 * std::size_t(c), 2); }

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(' '), last = s.find_last_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}
// Calls `visit` for each code point of a field "XXXX" or "XXXX..YYYY".
template <class Visit>
void ForEachInRange(const std::string& field, Visit visit) {
    const auto dots = field.find("..");
    const auto first = std::uint32_t(std::stoul(field, nullptr, 16));  // after any blanks
    const auto last = dots == std::string::npos
                          ? first
                          : std::uint32_t(std::stoul(field.substr(dots + 2), nullptr, 16));
    for (std::uint32_t c = first; c <= last; ++c) visit(c);
}
// The code points that `file` lists with property `name` in its second field.
std::vector<bool> WithProperty(const std::string& file, const std::string& name) {
    std::vector<bool> has(kCodePoints, false);
    ForEachRecord(file, ';', [&](std::vector<std::string> fields) {
        if (Trim(fields[1]) == name)
            ForEachInRange(fields[0], [&](std::uint32_t c) { has[c] = true; });
    });
    return has;
}
// General_Category of every code point from UnicodeData.txt: ranges given by their First and
// Last lines, unlisted code points Cn.
std::vector<std::string> CategoriesFromFile() {
    std::vector<std::string> categories(kCodePoints, "Cn");
    std::uint32_t rangeFirst = 0;
    ForEachRecord("UnicodeData.txt", ';', [&](std::vector<std::string> fields) {
        const std::uint32_t c = std::uint32_t(std::stoul(fields[0], nullptr, 16));
        if (fields[1].find(", First>") != std::string::npos) rangeFirst = c;
        const bool last = fields[1].find(", Last>") != std::string::npos;
        for (std::uint32_t d = last ? rangeFirst : c; d <= c; ++d) categories[d] = fields[2];
    });
    return categories;
}

TEST(UnicodeProperties, EveryCodePointAgainstIcuAndTheDatabaseFiles) {
    const std::vector<std::string> fromFile = CategoriesFromFile();
    const std::vector<bool> alphabetic = WithProperty("DerivedCoreProperties.txt", "Alphabetic");
    const std::vector<bool> whiteSpace = WithProperty("PropList.txt", "White_Space");
    int failures = 0;
    for (std::uint32_t c = 0; c < kCodePoints && failures < 20; ++c) {
        const UChar32 icu = UChar32(c);
        const std::string icuName =
            u_getPropertyValueName(UCHAR_GENERAL_CATEGORY, u_charType(icu), U_SHORT_PROPERTY_NAME);
        const std::string name = NameOf(Unicode::Category(c));
        const auto held = std::make_tuple(name, Unicode::IsLetter(c), Unicode::IsDigit(c),
                                          Unicode::IsAlphabetic(c), Unicode::IsWhiteSpace(c));
        const auto fromIcu = std::make_tuple(icuName, icuName[0] == 'L', icuName == "Nd",
                                             bool(u_hasBinaryProperty(icu, UCHAR_ALPHABETIC)),
                                             bool(u_hasBinaryProperty(icu, UCHAR_WHITE_SPACE)));
        const auto fromFiles =
            std::make_tuple(fromFile[c], fromFile[c][0] == 'L', fromFile[c] == "Nd",
                            bool(alphabetic[c]), bool(whiteSpace[c]));
        if (held != fromIcu || held != fromFiles) {
            ++failures;
            ADD_FAILURE() << "U+" << std::hex << c << ": " << testing::PrintToString(held)
                          << " ICU " << testing::PrintToString(fromIcu) << " files "
                          << testing::PrintToString(fromFiles);
        }
    }
}

TEST(UnicodeProperties, ValuesBeyondUnicodeAreUnassigned) {
    for (const char32_t c : {char32_t(0x110000), char32_t(0x7FFFFFFF), char32_t(0xFFFFFFFF)}) {
        EXPECT_EQ(Unicode::Category(c), GeneralCategory::Cn);
        EXPECT_FALSE(Unicode::IsLetter(c) || Unicode::IsDigit(c) || Unicode::IsAlphabetic(c) ||
                     Unicode::IsWhiteSpace(c));
        EXPECT_EQ(Unicode::Width(c), 1);
    }
}

// ---- Display width ---------------------------------------------------------------------------

// The width rules over properties read from the files: East Asian Wide and Fullwidth from
// EastAsianWidth.txt (with its stated defaults for unlisted ideograph ranges), Emoji and
// Emoji_Presentation from emoji-data.txt, categories from UnicodeData.txt.
struct WidthModel {
    std::vector<bool> wide, zero, emoji;
    WidthModel() : wide(kCodePoints, false), zero(kCodePoints, false) {
        std::vector<std::string> eastAsian(kCodePoints, "N");
        for (const char* range :
             {"3400..4DBF", "4E00..9FFF", "F900..FAFF", "20000..2FFFD", "30000..3FFFD"})
            ForEachInRange(range, [&](std::uint32_t c) { eastAsian[c] = "W"; });
        ForEachRecord("EastAsianWidth.txt", ';', [&](std::vector<std::string> fields) {
            ForEachInRange(fields[0], [&](std::uint32_t c) { eastAsian[c] = Trim(fields[1]); });
        });
        const std::vector<bool> presentation =
            WithProperty("emoji/emoji-data.txt", "Emoji_Presentation");
        emoji = WithProperty("emoji/emoji-data.txt", "Emoji");
        const std::vector<std::string> categories = CategoriesFromFile();
        for (std::uint32_t c = 0; c < kCodePoints; ++c) {
            wide[c] = eastAsian[c] == "W" || eastAsian[c] == "F" || presentation[c];
            const std::string& gc = categories[c];
            zero[c] = gc == "Mn" || gc == "Me" || gc == "Cf" || gc == "Cc";
        }
    }
    int Cluster(const CodePoints& cluster) const {
        if (wide[cluster[0]]) return 2;
        for (std::size_t i = 1; i < cluster.size(); ++i)
            if (cluster[i] == 0xFE0F && emoji[cluster[i - 1]]) return 2;
        return std::all_of(cluster.begin(), cluster.end(),
                           [&](std::uint32_t c) { return bool(zero[c]); })
                   ? 0
                   : 1;
    }
    // Clusters found by ICU's character break iterator, called directly.
    int Text(const UTF16String& units) const {
        UErrorCode status = U_ZERO_ERROR;
        UBreakIterator* breaks =
            ubrk_open(UBRK_CHARACTER, "", reinterpret_cast<const UChar*>(units.data()),
                      int32_t(units.size()), &status);
        int columns = 0;
        for (int32_t start = 0, end = ubrk_next(breaks); end != UBRK_DONE;
             start = end, end = ubrk_next(breaks))
            columns += Cluster(Decode(units.substr(std::size_t(start), std::size_t(end - start))));
        ubrk_close(breaks);
        return columns;
    }
};
const WidthModel& Model() {
    static const WidthModel model;
    return model;
}

TEST(DisplayWidth, EveryCodePointAloneAsTheModelSays) {
    int failures = 0;
    for (std::uint32_t c = 0; c < kCodePoints && failures < 20; ++c) {
        const int expected = Model().Cluster({c});
        // A text of the code point alone, through the break iterator: every one of the first
        // two planes, a sample of the rest.
        const bool asText = !IsSurrogate(c) && (c < 0x20000 || c % 61 == 0);
        const int alone = asText ? Text(ToUTF16({c})).DisplayWidth() : expected;
        if (Unicode::Width(c) != expected || alone != expected) {
            ++failures;
            ADD_FAILURE() << "U+" << std::hex << c << ": " << Unicode::Width(c) << " and " << alone
                          << " instead of " << expected;
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
        const std::string status = Trim(fields[1]);
        if (status == "fully-qualified" || status == "component")
            texts.push_back(UnitsOfHex(fields[0]));
    });
    EXPECT_GT(std::count_if(texts.begin(), texts.end(),
                            [](const UTF16String& units) { return Model().Text(units) == 2; }),
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
        EXPECT_EQ(Text(units).DisplayWidth(), Model().Text(units)) << testing::PrintToString(units);
}

}  // namespace

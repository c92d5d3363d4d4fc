// Collation: Compare and SortKey against ICU's collators called directly, on generated names
// in several scripts, for the root order and tailored locales.
#include "test_support.h"

#include <unicode/ucol.h>

#include <memory>

namespace {
using namespace qt_test;
using QuendalText::Collator;

int Sign(int value) { return (value > 0) - (value < 0); }

struct IcuCollator {
    explicit IcuCollator(const char* id) : collator(ucol_open(id, &status), ucol_close) {
        EXPECT_TRUE(U_SUCCESS(status)) << id << " " << u_errorName(status);
    }
    static const UChar* Of(const Text& text) {
        return reinterpret_cast<const UChar*>(text.c_str());
    }
    int Compare(const Text& a, const Text& b) const {
        return ucol_strcoll(collator.get(), Of(a), a.get_Length(), Of(b), b.get_Length());
    }
    std::string SortKey(const Text& text) const {
        std::string key(4096, '\0');
        const int32_t length = ucol_getSortKey(collator.get(), Of(text), text.get_Length(),
                                               reinterpret_cast<uint8_t*>(&key[0]), 4096);
        return key.substr(0, std::size_t(length) - 1);  // without the terminating zero byte
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCollator, void (*)(UCollator*)> collator{nullptr, ucol_close};
};

// Names from syllables of accented Latin, German, Swedish, Cyrillic and CJK, often sharing
// prefixes and differing only by accents or case, a few with lone surrogates, and the empty text.
std::vector<Text> Names(int count, unsigned seed) {
    static const std::string kSyllables =  // separated by '|'
        "a|A|\xc3\xa4|\xc3\x84|\xc3\xa5|\xc3\x85|\xc3\xb6|o|O|\xc3\xa9|e|\xc3\x89|\xc3\xa8|"
        "\xc3\xaa|ss|\xc3\x9f|th|ae|\xc3\xa6|z|Z|\xc3\xbc|u|y|c|\xc3\xa7|ch|ll|-| |\xd0\xb0|"
        "\xd0\x91|\xd1\x91|\xd0\xb5|\xe5\xbc\xa0|\xe6\x9d\x8e|\xe7\x8e\x8b|\xe3\x81\x82|"
        "\xe3\x82\xa2|\xea\xb0\x80|1|2|e\xcc\x81|\xef\xbc\xa1";
    std::vector<std::string> syllables;
    for (std::size_t at = 0, bar = 0; bar != std::string::npos; at = bar + 1)
        syllables.push_back(kSyllables.substr(at, (bar = kSyllables.find('|', at)) - at));
    Generator random{std::mt19937(seed)};
    std::vector<Text> names(1);
    for (int i = 0; i < count; ++i) {
        std::string utf8;
        for (int s = random.Below(6); s >= 0; --s)
            utf8 += syllables[std::size_t(random.Below(int(syllables.size())))];
        names.push_back(Text::FromUTF8(utf8) +
                        (random.Below(50) == 0 ? Text(Units({0xD800})) : Text()));
    }
    return names;
}

// Each locale as the collator takes it, and the ICU locale ID it stands for.
const std::pair<const char*, const char*> kLocales[] = {
    {"", ""},
    {"de", "de"},
    {"sv", "sv"},
    {"fr-CA", "fr_CA"},
    {"de-u-co-phonebk", "de@collation=phonebook"},
    {"xx-YY", "xx_YY"}};

// Pairs of names compared by a copy of the collator, and by their sort keys.
TEST(Collator, CompareAndSortKeyAgreeWithIcu) {
    const std::vector<Text> names = Names(1500, 1234);
    for (const auto& [locale, icuId] : kLocales) {
        const Collator collator(locale);
        const Collator copy = collator;
        const IcuCollator icu(icuId);
        Generator random{std::mt19937(99)};
        for (int pair = 0; pair < 6000; ++pair) {
            const Text& a = names[std::size_t(random.Below(int(names.size())))];
            const Text& b = names[std::size_t(random.Below(int(names.size())))];
            const int expected = Sign(icu.Compare(a, b));
            ASSERT_EQ(Sign(copy.Compare(a, b)), expected) << locale << ": " << a << " | " << b;
            const std::string keyA = collator.SortKey(a), keyB = collator.SortKey(b);
            ASSERT_EQ(Sign(keyA.compare(keyB)), expected) << locale << ": " << a << " | " << b;
            ASSERT_EQ(keyA, icu.SortKey(a)) << locale;
        }
    }
}

// A move shares the collator, and leaves the source whole.
TEST(Collator, MovedFromStaysWhole) {
    const Text a = Text::FromUTF8("zo\xc3\xa9"), b = Text::FromUTF8("\xc3\x85sa");
    Collator source("sv");
    const Collator moved = std::move(source);
    EXPECT_LT(source.Compare(a, b), 0);
    EXPECT_LT(moved.Compare(a, b), 0);
}

}  // namespace

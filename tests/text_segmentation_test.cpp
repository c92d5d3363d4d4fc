// Code points and grapheme clusters held to the break tests of Debian's unicode-data.
#include "test_support.h"

namespace {

using namespace qt_test;
using QuendalText::UTF16StringView;

// "÷ 0020 × 0308 ÷ 0020 ÷": clusters are the runs between the ÷ marks.
TEST(TextSegmentation, GraphemesFollowTheBreakTests) {
    int cases = 0;
    ForEachRecord("auxiliary/GraphemeBreakTest.txt", ' ', [&](const std::vector<std::string>& f) {
        std::vector<UTF16String> expected;
        UTF16String joined;
        for (const std::string& token : f) {
            if (token == "\xC3\xB7") expected.emplace_back();
            if (token != "\xC3\xB7" && token != "\xC3\x97") {
                expected.back() += UnitsOfHex(token);
                joined += UnitsOfHex(token);
            }
        }
        expected.pop_back();  // after the last ÷ comes nothing
        const Text text{UTF16StringView(joined)};
        std::vector<UTF16String> clusters;
        for (UTF16StringView cluster : text.Graphemes()) clusters.emplace_back(cluster);
        EXPECT_EQ(clusters, expected) << "case " << cases;
        ++cases;
    });
    EXPECT_GT(cases, 500);
    const auto none = Text().Graphemes();
    EXPECT_TRUE(none.begin() == none.end());
}

}  // namespace

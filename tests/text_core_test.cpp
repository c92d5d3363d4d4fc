#include "test_support.h"

using QuendalText::Text;
using qt_test::Units;
using qt_test::UnitsOf;

TEST(TextCore, EmptyConstruction) {
    for (const Text& text : {Text(), Text(static_cast<const QuendalText::UTF16Unit*>(nullptr))}) {
        EXPECT_TRUE(text.IsEmpty());
        EXPECT_EQ(text.get_Length(), 0);
        EXPECT_EQ(text.get_NumberOfCharacters(), 0);
        EXPECT_TRUE(text.IsCaseSensitive());
        EXPECT_TRUE(text.IsSearchForward());
        EXPECT_EQ(text.c_str()[0], 0);
    }
}

// CPPException<E>: its message before and after Throw, the bases a handler can catch it by,
// what a handler reads back, copies, and the library's table of raise sites.
#include "test_support.h"

#include "internal/raise_sites.h"

#include <QuendalLog/CPPException.h>

#include <unicode/utypes.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using QuendalLog::CPPException;

constexpr char kFile[] = ".\\Text.cpp";
constexpr char kFunction[] = "Text::Sample";

// Whether a raise is caught by a handler for `Handler&`; a raise that passes that handler is
// caught as std::exception, so a miss does not end the test.
template <class Handler, class Raise>
bool CaughtAs(Raise raise) {
    try {
        try {
            raise();
        } catch (const Handler&) {
            return true;
        }
    } catch (const std::exception&) {
        return false;
    }
    return false;
}

template <class E>
void RaiseSample(long line, const char* message) {
    CPPException<E> failure(kFile, kFunction);
    failure.Throw(line, message);
}

// The standard exception types the template is instantiated for, with the logic/runtime branch
// each belongs to and the one it must not be caught by.
template <class E>
struct Branch;
template <>
struct Branch<std::runtime_error> {
    using Same = std::runtime_error;
    using Other = std::logic_error;
};
template <>
struct Branch<std::out_of_range> {
    using Same = std::logic_error;
    using Other = std::runtime_error;
};

template <class E>
class CPPExceptionTest : public testing::Test {};

using StandardExceptions = testing::Types<std::runtime_error, std::out_of_range>;
TYPED_TEST_SUITE(CPPExceptionTest, StandardExceptions);

TYPED_TEST(CPPExceptionTest, UnspecifiedUntilThrown) {
    const CPPException<TypeParam> failure(kFile, kFunction);
    EXPECT_STREQ(failure.what(), "Unspecified");
    EXPECT_STREQ(failure.get_MessageText(), "Unspecified");
    EXPECT_STREQ(failure.get_FileName(), kFile);
    EXPECT_STREQ(failure.get_FunctionName(), kFunction);
    // Through the bases too.
    const QuendalLog::Exception& asLog = failure;
    EXPECT_STREQ(asLog.get_MessageText(), "Unspecified");
    const TypeParam& asStandard = failure;
    EXPECT_STREQ(asStandard.what(), "Unspecified");
}

TYPED_TEST(CPPExceptionTest, CaughtByEveryBase) {
    const auto raise = [] { RaiseSample<TypeParam>(752, "Invalid index"); };
    EXPECT_TRUE(CaughtAs<CPPException<TypeParam>>(raise));
    EXPECT_TRUE(CaughtAs<QuendalLog::Exception>(raise));
    EXPECT_TRUE(CaughtAs<QuendalLog::Message>(raise));
    EXPECT_TRUE(CaughtAs<TypeParam>(raise));
    EXPECT_TRUE(CaughtAs<typename Branch<TypeParam>::Same>(raise));
    EXPECT_TRUE(CaughtAs<std::exception>(raise));
    EXPECT_FALSE(CaughtAs<typename Branch<TypeParam>::Other>(raise));

    // Each handler reads back what it knows of the failure.
    try {
        raise();
    } catch (const TypeParam& failure) {
        EXPECT_STREQ(failure.what(), "Invalid index");
    }
    try {
        raise();
    } catch (const std::exception& failure) {
        EXPECT_STREQ(failure.what(), "Invalid index");
    }
    try {
        raise();
    } catch (const QuendalLog::Exception& failure) {
        EXPECT_EQ(failure.get_LineNum(), 752);
        EXPECT_STREQ(failure.get_MessageText(), "Invalid index");
        EXPECT_STREQ(failure.get_FileName(), kFile);
        EXPECT_STREQ(failure.get_FunctionName(), kFunction);
    }
}

TYPED_TEST(CPPExceptionTest, ThrowThroughTheLogInterface) {
    // Throw is reached through the Log library's class and still throws the whole object;
    // the message travels unformatted.
    CPPException<TypeParam> failure(kFile, kFunction);
    QuendalLog::Exception& asLog = failure;
    bool caught = false;
    try {
        asLog.Throw(-3, "50% done: %s %d");
    } catch (const CPPException<TypeParam>& thrown) {
        caught = true;
        EXPECT_STREQ(thrown.what(), "50% done: %s %d");
        EXPECT_EQ(thrown.get_LineNum(), -3);
        EXPECT_NE(&thrown, &failure) << "a copy is thrown";
    }
    EXPECT_TRUE(caught);
    // The object Throw was called on holds the same record.
    EXPECT_STREQ(failure.what(), "50% done: %s %d");
    EXPECT_EQ(failure.get_LineNum(), -3);
}

TYPED_TEST(CPPExceptionTest, MessageIsCopiedInsideThrow) {
    char message[] = "first message";
    bool caught = false;
    try {
        RaiseSample<TypeParam>(12, message);
    } catch (const CPPException<TypeParam>& failure) {
        caught = true;
        std::memset(message, 'X', sizeof message - 1);
        EXPECT_STREQ(failure.what(), "first message");
        EXPECT_STREQ(failure.get_MessageText(), "first message");
    }
    EXPECT_TRUE(caught);
    // An empty message stays empty.
    try {
        RaiseSample<TypeParam>(1, "");
    } catch (const CPPException<TypeParam>& failure) {
        EXPECT_STREQ(failure.what(), "");
    }
}

TYPED_TEST(CPPExceptionTest, CopiesOutliveTheOriginal) {
    std::optional<CPPException<TypeParam>> kept;
    std::optional<QuendalLog::Exception> keptLog;
    {
        std::string file = "scratch.cpp";
        std::string function = "Scratch::Function";
        CPPException<TypeParam> original(file.c_str(), function.c_str());
        try {
            original.Throw(41, "kept message");
        } catch (const CPPException<TypeParam>& failure) {
            kept.emplace(failure);
            keptLog.emplace(failure);
        }
        file.assign(file.size(), '?');
        function.assign(function.size(), '?');
    }
    ASSERT_TRUE(kept.has_value());
    EXPECT_STREQ(kept->what(), "kept message");
    EXPECT_STREQ(kept->get_MessageText(), "kept message");
    EXPECT_EQ(kept->get_LineNum(), 41);
    EXPECT_STREQ(kept->get_FileName(), "scratch.cpp");
    EXPECT_STREQ(kept->get_FunctionName(), "Scratch::Function");
    // The Log library's part alone keeps the origin.
    EXPECT_EQ(keptLog->get_LineNum(), 41);
    EXPECT_STREQ(keptLog->get_FileName(), "scratch.cpp");
    EXPECT_STREQ(keptLog->get_FunctionName(), "Scratch::Function");
}

TYPED_TEST(CPPExceptionTest, AssignmentThroughLogInterfaceCopiesOriginOnly) {
    CPPException<TypeParam> target("target.cpp", "Target");
    CPPException<TypeParam> source("source.cpp", "Source");
    try {
        source.Throw(99, "source message");
    } catch (const QuendalLog::Exception&) {
    }
    QuendalLog::Exception& targetAsLog = target;
    QuendalLog::Exception& result = (targetAsLog = source);
    EXPECT_EQ(&result, &targetAsLog);
    EXPECT_EQ(target.get_LineNum(), 99);
    EXPECT_STREQ(target.get_FileName(), "source.cpp");
    EXPECT_STREQ(target.get_FunctionName(), "Source");
    EXPECT_STREQ(target.what(), "Unspecified") << "the message in E is not the Log library's";

    // Plain Exception copies and assignment.
    QuendalLog::Exception copied(source);
    EXPECT_EQ(copied.get_LineNum(), 99);
    EXPECT_STREQ(copied.get_FileName(), "source.cpp");
    QuendalLog::Exception assigned("other.cpp", "Other");
    assigned = copied;
    EXPECT_EQ(assigned.get_LineNum(), 99);
    EXPECT_STREQ(assigned.get_FileName(), "source.cpp");
    EXPECT_STREQ(assigned.get_FunctionName(), "Source");
}

}  // namespace

// The library's table of raise sites, raised through its two helpers.
TEST(RaiseSites, IndexErrors) {
    using namespace QuendalText::detail;
    struct Expected {
        const IndexRaiseSite& site;
        const char* function;
        long line;
        const char* message;
    };
    const std::vector<Expected> table = {
        {kGetCharacterAtSite, "Text::get_CharacterAt", 752, "Invalid index"},
        {kSubscriptSite, "Text::operator[]", 813, "Invalid index"},
        {kSetCharacterAtSite, "Text::set_CharacterAt", 740, "Invalid index"},
        {kRemoveAtSite, "Text::RemoveAt", 765, "Invalid Index"},
    };
    for (const Expected& row : table) {
        SCOPED_TRACE(row.function);
        EXPECT_RAISES(RaiseIndexError(row.site), std::out_of_range, row.function, row.line, row.message);
        // An index failure is a logic error, not a runtime one.
        EXPECT_TRUE(CaughtAs<std::logic_error>([&] { RaiseIndexError(row.site); }));
        EXPECT_FALSE(CaughtAs<std::runtime_error>([&] { RaiseIndexError(row.site); }));
    }
}

TEST(RaiseSites, ConversionErrors) {
    using namespace QuendalText::detail;
    const std::vector<std::pair<long, long>> lines = {
        {kToUTF32Line, 955}, {kToUTF8Line, 986}, {kFromUTF8Line, 229}, {kFromUTF32Line, 290}};
    for (const auto& [line, expected] : lines) {
        EXPECT_EQ(line, expected);
        EXPECT_RAISES(RaiseConversionError(line, U_BUFFER_OVERFLOW_ERROR), std::runtime_error,
                      "Unspecified function", expected, "U_BUFFER_OVERFLOW_ERROR");
        EXPECT_RAISES(RaiseConversionError(line, U_INVALID_CHAR_FOUND), std::runtime_error,
                      "Unspecified function", expected, "U_INVALID_CHAR_FOUND");
        EXPECT_RAISES(RaiseConversionError(line, U_STRING_NOT_TERMINATED_WARNING), std::runtime_error,
                      "Unspecified function", expected, "U_STRING_NOT_TERMINATED_WARNING");
        EXPECT_TRUE(CaughtAs<std::runtime_error>([&] { RaiseConversionError(line, U_INVALID_CHAR_FOUND); }));
        EXPECT_FALSE(CaughtAs<std::logic_error>([&] { RaiseConversionError(line, U_INVALID_CHAR_FOUND); }));
    }
    EXPECT_STREQ(kRaiseFileName, ".\\Text.cpp");
    EXPECT_STREQ(kToUnicodeFunction, "Text::ToUnicode");
    EXPECT_STREQ(kToAsciiFunction, "Text::ToAscii");
}

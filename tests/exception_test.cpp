// CPPException<E>: its message before and after Throw, the bases a handler can catch it by,
// copies, and the library's raise helpers and sites.
#include "test_support.h"

#include <QuendalLog/CPPException.h>

#include <unicode/utypes.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

using QuendalLog::CPPException;

constexpr char kFile[] = ".\\Text.cpp";
constexpr char kFunction[] = "Text::Sample";

// Whether a raise is caught by a handler for `Handler&`; one that passes that handler is caught
// as std::exception, so a miss does not end the test.
template <class Handler, class Raise>
bool CaughtAs(Raise raise) {
    try {
        try {
            raise();
        } catch (const Handler&) {
            return true;
        }
    } catch (const std::exception&) {}
    return false;
}

void ExpectOrigin(const QuendalLog::Exception& failure, const char* file, const char* function,
                  long line) {
    EXPECT_STREQ(failure.get_FileName(), file);
    EXPECT_STREQ(failure.get_FunctionName(), function);
    EXPECT_EQ(failure.get_LineNum(), line);
}

// The logic/runtime branch of each standard type, and the branch it must not be caught by.
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
TYPED_TEST_SUITE(CPPExceptionTest, StandardExceptions, testing::internal::DefaultNameGenerator);

TYPED_TEST(CPPExceptionTest, CaughtByEveryBaseWithItsRecord) {
    CPPException<TypeParam> failure(kFile, kFunction);
    QuendalLog::Exception& asLog = failure;
    EXPECT_STREQ(failure.what(), "Unspecified");
    EXPECT_STREQ(asLog.get_MessageText(), "Unspecified");

    // Throw is reached through the Log library's interface and still throws the whole object.
    const auto raise = [] {
        CPPException<TypeParam> local(kFile, kFunction);
        static_cast<QuendalLog::Exception&>(local).Throw(752, "Invalid index");
    };
    EXPECT_TRUE(CaughtAs<CPPException<TypeParam>>(raise));
    EXPECT_TRUE(CaughtAs<QuendalLog::Exception>(raise));
    EXPECT_TRUE(CaughtAs<QuendalLog::Message>(raise));
    EXPECT_TRUE(CaughtAs<TypeParam>(raise));
    EXPECT_TRUE(CaughtAs<typename Branch<TypeParam>::Same>(raise));
    EXPECT_FALSE(CaughtAs<typename Branch<TypeParam>::Other>(raise));

    // The message is copied inside Throw and not formatted; a copy of the object is thrown, and
    // the object thrown from keeps the same record.
    char message[] = "Invalid index: 50% %s %d";
    try {
        asLog.Throw(752, message);
    } catch (const CPPException<TypeParam>& thrown) {
        std::memset(message, 'X', sizeof message - 1);
        EXPECT_NE(&thrown, &failure);
        EXPECT_STREQ(static_cast<const TypeParam&>(thrown).what(), "Invalid index: 50% %s %d");
        EXPECT_STREQ(static_cast<const QuendalLog::Exception&>(thrown).get_MessageText(),
                     "Invalid index: 50% %s %d");
        ExpectOrigin(thrown, kFile, kFunction, 752);
    }
    EXPECT_STREQ(asLog.get_MessageText(), "Invalid index: 50% %s %d");
    ExpectOrigin(failure, kFile, kFunction, 752);
}

// A copy, and an assignment through the Log library's interface, take the origin into storage
// of their own; the assignment leaves the message in E as it was.
TYPED_TEST(CPPExceptionTest, CopiesAndLogAssignmentKeepTheOrigin) {
    std::optional<QuendalLog::Exception> copied;
    CPPException<TypeParam> assigned("target.cpp", "Target");
    {
        std::string file = "scratch.cpp";
        std::string function = "Scratch::Function";
        CPPException<TypeParam> original(file.c_str(), function.c_str());
        try {
            original.Throw(41, "kept message");
        } catch (const CPPException<TypeParam>& failure) {
            copied.emplace(failure);
            QuendalLog::Exception& assignedAsLog = assigned;
            EXPECT_EQ(&(assignedAsLog = failure), &assignedAsLog);
        }
        file.assign(file.size(), '?');
        function.assign(function.size(), '?');
    }
    ASSERT_TRUE(copied);
    ExpectOrigin(*copied, "scratch.cpp", "Scratch::Function", 41);
    ExpectOrigin(assigned, "scratch.cpp", "Scratch::Function", 41);
    EXPECT_STREQ(assigned.what(), "Unspecified");
}

}  // namespace

// Real failures of Text are caught by their branch of the standard hierarchy only.
TEST(RaiseSites, FailuresOfTextReachOnlyTheirBranch) {
    const auto badIndex = [] { QuendalText::Text().get_CharacterAt(-1); };
    EXPECT_FALSE(CaughtAs<std::runtime_error>(badIndex));
    EXPECT_TRUE(CaughtAs<std::logic_error>(badIndex));
    const QuendalText::UTF32Unit badCodePoint[] = {0x110000, 0};
    const auto badUTF32 = [&badCodePoint] { QuendalText::Text{badCodePoint}; };
    EXPECT_FALSE(CaughtAs<std::logic_error>(badUTF32));
    EXPECT_TRUE(CaughtAs<std::runtime_error>(badUTF32));
}

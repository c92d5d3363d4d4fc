// CPPException<E>, here of the logic branch: its message before and after Throw, the bases a
// handler catches it by, copies and assignment of its origin (the raise checks of the other tests
// meet the runtime branch).
#include "test_support.h"

namespace {
using QuendalLog::CPPException;

// Whether a raise is caught by a handler for `Handler&`.
template <class Handler, class Raise>
bool CaughtAs(Raise raise) {
    try {
        raise();
    } catch (const Handler&) {
        return true;
    } catch (...) {}
    return false;
}

// Throw, reached through the Log library's interface, copies the message unformatted and throws a
// copy of the whole object, with the same origin, as the object thrown from keeps.
TEST(CPPException, ThrowsItselfWithItsOriginAndMessage) {
    using E = std::out_of_range;
    const auto origin = [](const QuendalLog::Exception& failure) {
        return std::string(failure.get_FileName()) + "|" + failure.get_FunctionName() + "|" +
               std::to_string(failure.get_LineNum()) + "|" + failure.get_MessageText();
    };
    std::string file = "scratch.cpp", function = "Scratch::Function";
    CPPException<E> failure(file.c_str(), function.c_str());
    EXPECT_STREQ(failure.what(), "Unspecified");
    EXPECT_EQ(origin(failure), "scratch.cpp|Scratch::Function|0|Unspecified");
    file.assign(file.size(), '?'), function.assign(function.size(), '?');  // copied in
    char message[] = "Invalid index: 50% %s %d";
    CPPException<E> assigned("target.cpp", "Target");
    try {
        static_cast<QuendalLog::Exception&>(failure).Throw(752, message);
    } catch (const CPPException<E>& thrown) {
        std::memset(message, 'X', sizeof message - 1);
        EXPECT_NE(&thrown, &failure);
        EXPECT_STREQ(static_cast<const E&>(thrown).what(), "Invalid index: 50% %s %d");
        EXPECT_EQ(origin(thrown), "scratch.cpp|Scratch::Function|752|Invalid index: 50% %s %d");
        // A plain Exception copied from it has the origin and no message.
        EXPECT_EQ(origin(QuendalLog::Exception(thrown)), "scratch.cpp|Scratch::Function|752|");
        QuendalLog::Exception& assignedAsLog = assigned;
        EXPECT_EQ(&(assignedAsLog = thrown), &assignedAsLog);
    }
    EXPECT_EQ(origin(failure), "scratch.cpp|Scratch::Function|752|Invalid index: 50% %s %d");
    // The assignment takes the origin and leaves the message in E as it was.
    EXPECT_EQ(origin(assigned), "scratch.cpp|Scratch::Function|752|Unspecified");
    const auto raise = [&failure] { failure.Throw(1, "raised"); };
    EXPECT_TRUE(CaughtAs<CPPException<E>>(raise) && CaughtAs<QuendalLog::Exception>(raise) &&
                CaughtAs<QuendalLog::Message>(raise) && CaughtAs<E>(raise));
    EXPECT_FALSE(CaughtAs<std::runtime_error>(raise));
}

}  // namespace

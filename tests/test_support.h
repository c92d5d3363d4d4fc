// Helpers shared by the tests: building texts from unit lists, checking raises, guarding the
// locale, canary-filled buffers.
#ifndef QUENDALTEXT_TESTS_TEST_SUPPORT_H
#define QUENDALTEXT_TESTS_TEST_SUPPORT_H

#include <QuendalText/QuendalText.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace qt_test {

using QuendalText::UTF16String;
using QuendalText::UTF16Unit;

inline UTF16String Units(std::initializer_list<unsigned> units) {
    UTF16String result;
    for (unsigned unit : units) result.push_back(static_cast<UTF16Unit>(unit));
    return result;
}

// The units of a text, read through c_str and get_Length.
inline UTF16String UnitsOf(const QuendalText::Text& text) {
    return UTF16String(text.c_str(), static_cast<std::size_t>(text.get_Length()));
}

// Expects `statement` to raise CPPException<E> with the given function, line and message.
#define EXPECT_RAISES(statement, E, function, line, message)      \
  do {                                                            \
    bool raised_ = false;                                         \
    try {                                                         \
      statement;                                                  \
    } catch (const QuendalLog::CPPException<E>& failure_) {       \
      raised_ = true;                                             \
      EXPECT_STREQ(failure_.what(), message);                     \
      EXPECT_STREQ(failure_.get_MessageText(), message);          \
      EXPECT_EQ(failure_.get_LineNum(), static_cast<long>(line)); \
      EXPECT_STREQ(failure_.get_FunctionName(), function);        \
      EXPECT_STREQ(failure_.get_FileName(), ".\\Text.cpp");       \
    }                                                             \
    EXPECT_TRUE(raised_) << "expected " #E " from: " #statement;  \
  } while (false)

// Switches LC_ALL to `name` for the lifetime of the guard; IsActive() is false when the
// locale is not available on this machine.
class LocaleGuard {
public:
    explicit LocaleGuard(const char* name) {
        const char* previous = std::setlocale(LC_ALL, nullptr);
        previous_ = previous != nullptr ? previous : "C";
        active_ = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~LocaleGuard() { std::setlocale(LC_ALL, previous_.c_str()); }
    LocaleGuard(const LocaleGuard&) = delete;
    LocaleGuard& operator=(const LocaleGuard&) = delete;
    bool IsActive() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

// A byte buffer pre-filled with a marker, so writes past the expected end show.
constexpr unsigned char kCanary = 0xAB;

template <class Unit>
std::vector<Unit> CanaryBuffer(std::size_t units) {
    std::vector<Unit> buffer(units);
    std::memset(buffer.data(), kCanary, units * sizeof(Unit));
    return buffer;
}

}  // namespace qt_test

#endif  // QUENDALTEXT_TESTS_TEST_SUPPORT_H

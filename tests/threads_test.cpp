// Threads: several read one shared Text through its const members while others change texts of
// their own and raise; several sort by one shared Collator. Under ThreadSanitizer (the tsan
// preset) any data race fails the run; everywhere, the answers must match a single thread's.
#include "test_support.h"

#include <algorithm>
#include <thread>
#include <tuple>

namespace {
using namespace qt_test;

// Everything a reader asks of the shared text.
auto Answers(const Text& text) {
    int position = 0;
    return std::make_tuple(text.ToUTF8String(), text.get_EncodingSize(UTF8Encoding, true),
                           text.FindString(Text("br")), text.FindCharacter(Char(0x1F600u)),
                           text.Compare(Text("CR\xc3\x88ME"), 5),
                           text.FindToken(Text(" "), &position).get_Length(), text.IsAscii(),
                           (text + text).get_NumberOfCharacters());
}

// A writer's own copy, changed, and then an index past its end raised; its count (-1 for none).
int EditAndRaise(const Text& shared, std::size_t writer) {
    Text own(shared);
    own += Char(static_cast<int>(0x41 + writer));
    own.Replace(Text("\xc3\xa9t\xc3\xa9"), 1, 2);
    own.Remove(Char('a'));
    try {
        own.RemoveAt(own.get_Length());
    } catch (const std::out_of_range&) {
        return own.get_NumberOfCharacters();
    }
    return -1;
}

// Runs `round(t)` `rounds` times on each of `count` threads; expects each to answer true always.
template <class Round>
void ExpectRightOnEveryThread(std::size_t count, int rounds, Round round) {
    std::vector<int> right(count, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < count; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < rounds; ++i) right[t] += round(t);
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(right, std::vector<int>(count, rounds));
}

TEST(Threads, ConstReadersBesideWritersOfTheirOwn) {
    Text shared("Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9\x65 \xf0\x9f\x98\x80 caf\xc3\xa9 au lait");
    shared.set_CaseSensitivity(false);
    const auto expected = Answers(shared);
    const int edited = EditAndRaise(shared, 0);
    ExpectRightOnEveryThread(8, 200, [&](std::size_t t) {  // even threads read
        return t % 2 == 0 ? Answers(shared) == expected : EditAndRaise(shared, t) == edited;
    });
}

// One const Collator from four threads, two of them through copies of their own (which share its
// ICU collator): each sorts the same names and takes sort keys, and must find what one thread
// finds.
TEST(Threads, OneCollatorFromFourThreads) {
    const QuendalText::Collator collator("de");
    std::vector<Text> names;
    for (const char* first :
         {"\xc3\x84rger", "Arger", "\xc3\x85sa", "zo\xc3\xa9", "\xc3\x89mile", "Stra\xc3\x9f\x65"})
        for (const char* last :
             {"", " M\xc3\xbcller", " Mueller", " \xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd"})
            names.push_back(Text::FromUTF8(std::string(first) + last));
    const auto sorted = [&names](const QuendalText::Collator& by) {
        std::vector<Text> order = names;
        std::stable_sort(order.begin(), order.end(),
                         [&by](const Text& a, const Text& b) { return by.Compare(a, b) < 0; });
        std::string keys;
        for (const Text& name : order) keys += by.SortKey(name) + "|";
        return std::make_pair(order, keys);
    };
    const auto expected = sorted(collator);
    ExpectRightOnEveryThread(4, 50, [&](std::size_t t) {
        const QuendalText::Collator copy = collator;
        return sorted(t % 2 == 0 ? collator : copy) == expected;
    });
}

}  // namespace

// Threads: several read one shared Text through its const members while others change texts of
// their own and raise. Under ThreadSanitizer (the tsan preset) any data race fails the run;
// everywhere, the answers must match a single thread's.
#include "test_support.h"

#include <thread>

namespace {
using namespace qt_test;

// Everything a reader asks of the shared text, in one printable line.
std::string Answers(const Text& text) {
    std::vector<char> utf8(static_cast<std::size_t>(text.get_EncodingSize(UTF8Encoding, true)));
    text.ToUTF8(utf8.data(), static_cast<int>(utf8.size()), true);
    int position = 0;
    return std::string(utf8.data()) + "|" + std::to_string(text.FindString(Text("br"))) + "|" +
           std::to_string(text.FindCharacter(Char(0x1F600u))) + "|" +
           std::to_string(text.Compare(Text("CR\xc3\x88ME"), 5)) + "|" +
           std::to_string(text.FindToken(Text(" "), &position).get_Length()) + "|" +
           std::to_string(text.IsAscii()) + "|" +
           std::to_string((text + text).get_NumberOfCharacters());
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

TEST(Threads, ConstReadersBesideWritersOfTheirOwn) {
    Text shared(
        "Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9"
        "e \xf0\x9f\x98\x80 caf\xc3\xa9 au lait");
    shared.set_CaseSensitivity(false);
    const std::string expected = Answers(shared);
    const int edited = EditAndRaise(shared, 0);
    std::vector<int> right(8, 0);  // rounds with the right answers, per thread: even ones read
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < right.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 200; ++round)
                right[t] +=
                    t % 2 == 0 ? Answers(shared) == expected : EditAndRaise(shared, t) == edited;
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(right, std::vector<int>(8, 200));
}

}  // namespace

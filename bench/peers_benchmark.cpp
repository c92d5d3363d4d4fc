// The library's hot operations against ICU, the standard library and, when it is installed, Qt
// 5, on the same 1 MiB texts in the same run. Benchmarks are named GROUP/INPUT/IMPLEMENTATION;
// at the end, for each GROUP/INPUT, the library's time (the median when repeated) over the
// fastest peer's is printed as a table. Every implementation's result is checked against the
// library's once before anything is timed.
#include <QuendalText/QuendalText.h>

#include <benchmark/benchmark.h>
#include <unicode/brkiter.h>
#include <unicode/coll.h>
#include <unicode/normalizer2.h>
#include <unicode/uniset.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#if defined(QUENDALTEXT_BENCH_QT)
#  include <QString>
#  include <QStringList>
#endif

#include "corpus.h"

#include <algorithm>
#include <codecvt>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <functional>
#include <locale>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

using QuendalText::Char;
using QuendalText::Text;

// The standard's own UTF-8 conversion is deprecated, not gone; it is the standard peer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
using StdConverter = std::wstring_convert<std::codecvt_utf8_utf16<char16_t>, char16_t>;
#pragma GCC diagnostic pop

std::u16string UnitsOf(const Text& text) {
    return std::u16string(text.c_str(), static_cast<std::size_t>(text.get_Length()));
}

void Check(bool ok, const std::string& what) {
    if (ok) return;
    std::fprintf(stderr, "check failed: %s\n", what.c_str());
    std::exit(1);
}

// Registers GROUP/INPUT/IMPLEMENTATION, reporting `bytes` per iteration.
void Add(const std::string& group, const std::string& input, const std::string& implementation,
         std::int64_t bytes, std::function<void(benchmark::State&)> body) {
    const std::string name = group + "/" + input + "/" + implementation;
    benchmark::RegisterBenchmark(name.c_str(), [bytes, body](benchmark::State& state) {
        body(state);
        if (bytes > 0) state.SetBytesProcessed(state.iterations() * bytes);
    })->Unit(benchmark::kMicrosecond);
}

std::int64_t BytesOf(const std::u16string& units) {
    return static_cast<std::int64_t>(units.size() * sizeof(char16_t));
}

std::u16string ToUTF16(const std::string& utf8) { return UnitsOf(Text(utf8.c_str())); }

#if defined(QUENDALTEXT_BENCH_QT)
QString ToQt(const std::u16string& units) {
    return QString(reinterpret_cast<const QChar*>(units.data()), static_cast<int>(units.size()));
}
#endif

void Conversions(const bench::Corpus& corpus) {
    const std::string input = corpus.name;
    const char* bytes = corpus.utf8.c_str();
    const auto size = corpus.utf8.size();
    const auto utf8Bytes = static_cast<std::int64_t>(size);
    auto units = std::make_shared<std::u16string>(ToUTF16(corpus.utf8));
    std::vector<UChar> icuCheck(size);
    int32_t icuLength = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(icuCheck.data(), static_cast<int32_t>(size), &icuLength, bytes,
                  static_cast<int32_t>(size), &status);
    Check(std::u16string(icuCheck.data(), static_cast<std::size_t>(icuLength)) == *units,
          input + ": Text(const char*) against ICU");

    Add("utf8 to utf16", input, "QuendalText Text(const char*)", utf8Bytes,
        [bytes](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(Text(bytes).c_str());
        });
    Add("utf8 to utf16", input, "ICU u_strFromUTF8", utf8Bytes,
        [bytes, size](benchmark::State& state) {
            for (auto _ : state) {
                std::u16string out(size, u'\0');
                int32_t length = 0;
                UErrorCode error = U_ZERO_ERROR;
                u_strFromUTF8(out.data(), static_cast<int32_t>(size), &length, bytes,
                              static_cast<int32_t>(size), &error);
                out.resize(static_cast<std::size_t>(length));
                benchmark::DoNotOptimize(out.data());
            }
        });
    Add("utf8 to utf16", input, "std wstring_convert", utf8Bytes, [bytes](benchmark::State& state) {
        StdConverter converter;
        for (auto _ : state) benchmark::DoNotOptimize(converter.from_bytes(bytes).data());
    });
#if defined(QUENDALTEXT_BENCH_QT)
    Add("utf8 to utf16", input, "Qt QString::fromUtf8", utf8Bytes,
        [bytes, size](benchmark::State& state) {
            for (auto _ : state) {
                benchmark::DoNotOptimize(
                    QString::fromUtf8(bytes, static_cast<int>(size)).constData());
            }
        });
#endif

    auto text = std::make_shared<Text>(*units);
    const int needed = text->get_EncodingSize(UTF8Encoding, true);
    Check(needed == static_cast<int>(size) + 1, input + ": get_EncodingSize");
    const std::int64_t utf16Bytes = BytesOf(*units);
    Add("utf16 to utf8, size known", input, "QuendalText ToUTF8", utf16Bytes,
        [text, needed](benchmark::State& state) {
            std::vector<char> out(static_cast<std::size_t>(needed));
            for (auto _ : state) {
                text->ToUTF8(out.data(), needed, true);
                benchmark::DoNotOptimize(out.data());
            }
        });
    Add("utf16 to utf8, size asked", input, "QuendalText get_EncodingSize + ToUTF8", utf16Bytes,
        [text, needed](benchmark::State& state) {
            std::vector<char> out(static_cast<std::size_t>(needed));
            for (auto _ : state) {
                const int asked = text->get_EncodingSize(UTF8Encoding, true);
                text->ToUTF8(out.data(), asked, true);
                benchmark::DoNotOptimize(out.data());
            }
        });
    for (const char* group : {"utf16 to utf8, size known", "utf16 to utf8, size asked"}) {
        Add(group, input, "ICU u_strToUTF8", utf16Bytes, [units, needed](benchmark::State& state) {
            std::vector<char> out(static_cast<std::size_t>(needed));
            for (auto _ : state) {
                int32_t length = 0;
                UErrorCode error = U_ZERO_ERROR;
                u_strToUTF8(out.data(), needed, &length, units->data(),
                            static_cast<int32_t>(units->size()), &error);
                benchmark::DoNotOptimize(out.data());
            }
        });
        Add(group, input, "std wstring_convert", utf16Bytes, [units](benchmark::State& state) {
            StdConverter converter;
            for (auto _ : state) benchmark::DoNotOptimize(converter.to_bytes(*units).data());
        });
#if defined(QUENDALTEXT_BENCH_QT)
        auto qt = std::make_shared<QString>(ToQt(*units));
        Add(group, input, "Qt QString::toUtf8", utf16Bytes, [qt](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(qt->toUtf8().constData());
        });
#endif
    }
    Add("utf8 size", input, "QuendalText get_EncodingSize", utf16Bytes,
        [text](benchmark::State& state) {
            for (auto _ : state)
                benchmark::DoNotOptimize(text->get_EncodingSize(UTF8Encoding, true));
        });
    Add("utf8 size", input, "ICU u_strToUTF8 preflight", utf16Bytes,
        [units](benchmark::State& state) {
            for (auto _ : state) {
                int32_t length = 0;
                UErrorCode error = U_ZERO_ERROR;
                u_strToUTF8(nullptr, 0, &length, units->data(), static_cast<int32_t>(units->size()),
                            &error);
                benchmark::DoNotOptimize(length);
            }
        });

    Check(text->get_NumberOfCharacters() ==
              u_countChar32(units->data(), static_cast<int32_t>(units->size())),
          input + ": count");
    Add("copy and count", input, "QuendalText Text(const UTF16String&)", utf16Bytes,
        [units](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(Text(*units).get_NumberOfCharacters());
        });
    Add("copy and count", input, "ICU copy + u_countChar32", utf16Bytes,
        [units](benchmark::State& state) {
            for (auto _ : state) {
                const std::u16string copy(*units);
                benchmark::DoNotOptimize(
                    u_countChar32(copy.data(), static_cast<int32_t>(copy.size())));
            }
        });
    if (text->IsAscii()) {
        Add("is ascii", input, "QuendalText IsAscii", utf16Bytes, [text](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(text->IsAscii());
        });
        Add("is ascii", input, "std all_of", utf16Bytes, [units](benchmark::State& state) {
            for (auto _ : state) {
                benchmark::DoNotOptimize(std::all_of(units->begin(), units->end(),
                                                     [](char16_t unit) { return unit < 0x80; }));
            }
        });
    }
}

// The unit that the text holds most often.
char16_t MostFrequent(const std::u16string& units) {
    std::vector<std::size_t> counts(0x10000);
    for (const char16_t unit : units) ++counts[unit];
    return static_cast<char16_t>(std::max_element(counts.begin(), counts.end()) - counts.begin());
}

void Searches(const bench::Corpus& corpus) {
    const std::string input = corpus.name;
    const std::u16string units = ToUTF16(corpus.utf8);
    // A pattern that stands only at the end and begins with the commonest unit.
    const std::u16string pattern = std::u16string(1, MostFrequent(units)) + u"#%@#%@~";
    auto hay = std::make_shared<std::u16string>(units + pattern);
    auto text = std::make_shared<Text>(*hay);
    auto patternText = std::make_shared<Text>(pattern);
    const auto where = static_cast<int>(units.size());
    Check(text->FindString(*patternText) == where && hay->find(pattern) == units.size(),
          input + ": FindString");
    const std::int64_t bytes = BytesOf(*hay);
    Add("find string", input, "QuendalText FindString", bytes,
        [text, patternText](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(text->FindString(*patternText));
        });
    Add("find string", input, "std u16string::find", bytes,
        [hay, pattern](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(hay->find(pattern));
        });
    auto icuHay =
        std::make_shared<icu::UnicodeString>(hay->data(), static_cast<int32_t>(hay->size()));
    auto icuPattern =
        std::make_shared<icu::UnicodeString>(pattern.data(), static_cast<int32_t>(pattern.size()));
    Check(icuHay->indexOf(*icuPattern) == where, input + ": ICU indexOf");
    Add("find string", input, "ICU UnicodeString::indexOf", bytes,
        [icuHay, icuPattern](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(icuHay->indexOf(*icuPattern));
        });
#if defined(QUENDALTEXT_BENCH_QT)
    auto qtHay = std::make_shared<QString>(ToQt(*hay));
    auto qtPattern = std::make_shared<QString>(ToQt(pattern));
    Add("find string", input, "Qt QString::indexOf", bytes,
        [qtHay, qtPattern](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(qtHay->indexOf(*qtPattern));
        });
    Add("find character", input, "Qt QString::indexOf(QChar)", bytes,
        [qtHay](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(qtHay->indexOf(QChar(u'~')));
        });
#endif
    // The last unit of the pattern, '~', stands only at the very end.
    const auto last = static_cast<int>(hay->size() - 1);
    Check(text->FindCharacter(Char(u'~')) == last && hay->find(u'~') == hay->size() - 1,
          input + ": FindCharacter");
    Add("find character", input, "QuendalText FindCharacter", bytes,
        [text](benchmark::State& state) {
            const Char tilde(u'~');
            for (auto _ : state) benchmark::DoNotOptimize(text->FindCharacter(tilde));
        });
    Add("find character", input, "std u16string::find(char16_t)", bytes,
        [hay](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(hay->find(u'~'));
        });
    Add("find character", input, "ICU UnicodeString::indexOf(UChar)", bytes,
        [icuHay](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(icuHay->indexOf(char16_t{u'~'}));
        });

    const std::u16string set = u"~^`|";
    auto setText = std::make_shared<Text>(set);
    Check(text->FindFromCharacterSet(*setText, 0) == last, input + ": FindFromCharacterSet");
    Add("find from set of 4", input, "QuendalText FindFromCharacterSet", bytes,
        [text, setText](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(text->FindFromCharacterSet(*setText, 0));
        });
    Add("find from set of 4", input, "std u16string::find_first_of", bytes,
        [hay, set](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(hay->find_first_of(set));
        });
    UErrorCode status = U_ZERO_ERROR;
    auto icuSet = std::make_shared<icu::UnicodeSet>(icu::UnicodeString(u"[~\\^`|]"), status);
    icuSet->freeze();
    Check(icuSet->span(hay->data(), static_cast<int32_t>(hay->size()), USET_SPAN_NOT_CONTAINED) ==
              last,
          input + ": UnicodeSet::span");
    Add("find from set of 4", input, "ICU UnicodeSet::span", bytes,
        [hay, icuSet](benchmark::State& state) {
            for (auto _ : state) {
                benchmark::DoNotOptimize(icuSet->span(
                    hay->data(), static_cast<int32_t>(hay->size()), USET_SPAN_NOT_CONTAINED));
            }
        });

    // Removing a unit that makes a tenth of the text, restored untimed before each removal.
    std::u16string marked;
    for (std::size_t i = 0; i < units.size(); ++i) {
        marked += units[i];
        if (i % 9 == 8 && !(units[i] >= 0xD800 && units[i] <= 0xDBFF)) marked += u'|';
    }
    auto markedText = std::make_shared<Text>(marked);
    Text removed(*markedText);
    removed.Remove(Char(u'|'));
    std::u16string stdRemoved = marked;
    stdRemoved.erase(std::remove(stdRemoved.begin(), stdRemoved.end(), u'|'), stdRemoved.end());
    Check(UnitsOf(removed) == stdRemoved, input + ": Remove");
    auto markedUnits = std::make_shared<std::u16string>(marked);
    const std::int64_t markedBytes = BytesOf(marked);
    Add("remove a tenth", input, "QuendalText Remove(Char)", markedBytes,
        [markedText](benchmark::State& state) {
            const Char bar(u'|');
            Text work;
            for (auto _ : state) {
                state.PauseTiming();
                work = *markedText;
                state.ResumeTiming();
                benchmark::DoNotOptimize(work.Remove(bar).c_str());
            }
        });
    Add("remove a tenth", input, "std remove + erase", markedBytes,
        [markedUnits](benchmark::State& state) {
            std::u16string work;
            for (auto _ : state) {
                state.PauseTiming();
                work = *markedUnits;
                state.ResumeTiming();
                work.erase(std::remove(work.begin(), work.end(), u'|'), work.end());
                benchmark::DoNotOptimize(work.data());
            }
        });
#if defined(QUENDALTEXT_BENCH_QT)
    auto qtMarked = std::make_shared<QString>(ToQt(marked));
    Add("remove a tenth", input, "Qt QString::remove(QChar)", markedBytes,
        [qtMarked](benchmark::State& state) {
            QString work;
            for (auto _ : state) {
                state.PauseTiming();
                work = QString(qtMarked->constData(), qtMarked->size());
                state.ResumeTiming();
                benchmark::DoNotOptimize(work.remove(QChar(u'|')).constData());
            }
        });
#endif
}

void Singles(const std::vector<bench::Corpus>& corpora) {
    const std::u16string frde = ToUTF16(corpora[1].utf8);
    auto million = std::make_shared<std::u16string>();
    while (million->size() < 1000000) million->append(frde, 0, 1000000 - million->size());
    {
        Text appended;
        for (const char16_t unit : *million) appended += Char(unit);
        Check(UnitsOf(appended) == *million, "+= Char");
    }
    const std::int64_t millionBytes = BytesOf(*million);
    Add("append 1M characters", "fr-de", "QuendalText += Char", millionBytes,
        [million](benchmark::State& state) {
            for (auto _ : state) {
                Text text;
                for (const char16_t unit : *million) text += Char(unit);
                benchmark::DoNotOptimize(text.c_str());
            }
        });
    Add("append 1M characters", "fr-de", "std push_back", millionBytes,
        [million](benchmark::State& state) {
            for (auto _ : state) {
                std::u16string text;
                for (const char16_t unit : *million) text.push_back(unit);
                benchmark::DoNotOptimize(text.data());
            }
        });
    Add("append 1M characters", "fr-de", "ICU UnicodeString::append", millionBytes,
        [million](benchmark::State& state) {
            for (auto _ : state) {
                icu::UnicodeString text;
                for (const char16_t unit : *million) text.append(unit);
                benchmark::DoNotOptimize(text.getBuffer());
            }
        });

    // Fields of comma-separated values, of 1 to 13 units (longer ones than a string holds
    // without allocating), one owning string per token.
    std::string csvBytes;
    bench::Lcg random(21);
    while (csvBytes.size() < bench::kCorpusBytes) {
        static const char* const kFields[] = {"a",        "field",       "column",
                                              "quantity", "description", "international"};
        csvBytes += random.Below(3) == 0 ? std::to_string(random.Below(99999))
                                         : kFields[random.Below(std::size(kFields))];
        csvBytes += ',';
    }
    csvBytes += "end";
    auto csv = std::make_shared<std::u16string>(ToUTF16(csvBytes));
    auto csvText = std::make_shared<Text>(*csv);
    auto comma = std::make_shared<Text>(u",");
    const auto textTokens = [](const Text& text, const Text& delimiters) {
        std::size_t tokens = 0;
        int position = 0;
        while (!text.FindToken(delimiters, &position).IsEmpty()) ++tokens;
        return tokens;
    };
    const auto stdTokens = [](const std::u16string& text) {
        std::size_t tokens = 0;
        for (std::size_t at = text.find_first_not_of(u','); at != std::u16string::npos;
             at = text.find_first_not_of(u',', at)) {
            const std::size_t end = std::min(text.find_first_of(u',', at), text.size());
            benchmark::DoNotOptimize(text.substr(at, end - at).data());
            ++tokens;
            at = end;
        }
        return tokens;
    };
    Check(textTokens(*csvText, *comma) == stdTokens(*csv), "FindToken");
    const std::int64_t csvUnits = BytesOf(*csv);
    Add("tokens", "csv", "QuendalText FindToken loop", csvUnits,
        [csvText, comma, textTokens](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(textTokens(*csvText, *comma));
        });
    Add("tokens", "csv", "std find_first_of loop", csvUnits,
        [csv, stdTokens](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(stdTokens(*csv));
        });
#if defined(QUENDALTEXT_BENCH_QT)
    auto qtCsv = std::make_shared<QString>(ToQt(*csv));
    Add("tokens", "csv", "Qt QString::split", csvUnits, [qtCsv](benchmark::State& state) {
        for (auto _ : state) {
            benchmark::DoNotOptimize(qtCsv->split(QChar(u','), Qt::SkipEmptyParts).size());
        }
    });
#endif

    // Case: the ASCII text in small letters against the same in capitals.
    const std::u16string ascii = ToUTF16(corpora[0].utf8);
    std::u16string lower = ascii, upper = ascii;
    for (char16_t& unit : lower) unit = static_cast<char16_t>(std::towlower(unit));
    for (char16_t& unit : upper) unit = static_cast<char16_t>(std::towupper(unit));
    auto lowerText = std::make_shared<Text>(lower);
    auto upperText = std::make_shared<Text>(upper);
    lowerText->set_CaseSensitivity(false);
    Check(lowerText->Compare(*upperText, -1) == 0, "Compare");
    auto lowerUnits = std::make_shared<std::u16string>(lower);
    auto upperUnits = std::make_shared<std::u16string>(upper);
    const std::int64_t asciiBytes = BytesOf(ascii);
    Add("compare ignoring case", "ascii", "QuendalText Compare", asciiBytes,
        [lowerText, upperText](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(lowerText->Compare(*upperText, -1));
        });
    Add("compare ignoring case", "ascii", "ICU u_strcasecmp", asciiBytes,
        [lowerUnits, upperUnits](benchmark::State& state) {
            for (auto _ : state) {
                benchmark::DoNotOptimize(
                    u_strcasecmp(lowerUnits->c_str(), upperUnits->c_str(), U_FOLD_CASE_DEFAULT));
            }
        });
    Add("compare ignoring case", "ascii", "std towlower loop", asciiBytes,
        [lowerUnits, upperUnits](benchmark::State& state) {
            for (auto _ : state) {
                benchmark::DoNotOptimize(std::lexicographical_compare(
                    lowerUnits->begin(), lowerUnits->end(), upperUnits->begin(), upperUnits->end(),
                    [](char16_t a, char16_t b) { return std::towlower(a) < std::towlower(b); }));
            }
        });
#if defined(QUENDALTEXT_BENCH_QT)
    auto qtLower = std::make_shared<QString>(ToQt(lower));
    auto qtUpper = std::make_shared<QString>(ToQt(upper));
    Add("compare ignoring case", "ascii", "Qt QString::compare", asciiBytes,
        [qtLower, qtUpper](benchmark::State& state) {
            for (auto _ : state) {
                benchmark::DoNotOptimize(QString::compare(*qtLower, *qtUpper, Qt::CaseInsensitive));
            }
        });
#endif

    auto asciiText = std::make_shared<Text>(ascii);
    {
        Text upperCased(ascii);
        upperCased.ToUpper();
        Check(UnitsOf(upperCased) == upper, "ToUpper");
    }
    auto asciiUnits = std::make_shared<std::u16string>(ascii);
    Add("to upper", "ascii", "QuendalText ToUpper", asciiBytes,
        [asciiText](benchmark::State& state) {
            Text work;
            for (auto _ : state) {
                state.PauseTiming();
                work = *asciiText;
                state.ResumeTiming();
                work.ToUpper();
                benchmark::DoNotOptimize(work.c_str());
            }
        });
    Add("to upper", "ascii", "ICU UnicodeString::toUpper", asciiBytes,
        [asciiUnits](benchmark::State& state) {
            icu::UnicodeString work;
            for (auto _ : state) {
                state.PauseTiming();
                work = icu::UnicodeString(asciiUnits->data(),
                                          static_cast<int32_t>(asciiUnits->size()));
                state.ResumeTiming();
                benchmark::DoNotOptimize(work.toUpper().getBuffer());
            }
        });
    Add("to upper", "ascii", "std towupper loop", asciiBytes,
        [asciiUnits](benchmark::State& state) {
            std::u16string work;
            for (auto _ : state) {
                state.PauseTiming();
                work = *asciiUnits;
                state.ResumeTiming();
                for (char16_t& unit : work) unit = static_cast<char16_t>(std::towupper(unit));
                benchmark::DoNotOptimize(work.data());
            }
        });
#if defined(QUENDALTEXT_BENCH_QT)
    auto qtAscii = std::make_shared<QString>(ToQt(ascii));
    Add("to upper", "ascii", "Qt QString::toUpper", asciiBytes, [qtAscii](benchmark::State& state) {
        QString work;
        for (auto _ : state) {
            state.PauseTiming();
            work = QString(qtAscii->constData(), qtAscii->size());
            state.ResumeTiming();
            work = std::move(work).toUpper();
            benchmark::DoNotOptimize(work.constData());
        }
    });
#endif

    Check(UnitsOf(Text(u"%d %s %f", true, 42, u"hello", 3.14159)) == u"42 hello 3.141590",
          "format");
    Add("format %d %s %f", "call", "QuendalText Text(format, true, ...)", 0,
        [](benchmark::State& state) {
            for (auto _ : state)
                benchmark::DoNotOptimize(Text(u"%d %s %f", true, 42, u"hello", 3.14159).c_str());
        });
    Add("format %d %s %f", "call", "std swprintf", 0, [](benchmark::State& state) {
        wchar_t out[64];
        for (auto _ : state) {
            std::swprintf(out, 64, L"%d %ls %f", 42, L"hello", 3.14159);
            benchmark::DoNotOptimize(out);
        }
    });
#if defined(QUENDALTEXT_BENCH_QT)
    Add("format %d %s %f", "call", "Qt QString::asprintf", 0, [](benchmark::State& state) {
        for (auto _ : state) {
            benchmark::DoNotOptimize(
                QString::asprintf("%d %s %f", 42, "hello", 3.14159).constData());
        }
    });
#endif

    auto half = std::make_shared<std::u16string>(ascii.substr(0, bench::kCorpusBytes / 2));
    auto halfText = std::make_shared<Text>(*half);
    Add("copy 1 MiB", "ascii", "QuendalText Text(const Text&)", BytesOf(*half),
        [halfText](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(Text(*halfText).c_str());
        });
    Add("copy 1 MiB", "ascii", "std u16string copy", BytesOf(*half),
        [half](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(std::u16string(*half).data());
        });
}

// The conveniences: ReplaceAll of the commonest unit by two units (on a fresh copy each time, for
// every implementation), and FindFolded of an upper-cased pattern that stands only at the end,
// against ICU's folding followed by a search, and Qt's case-insensitive search.
void Conveniences(const bench::Corpus& corpus) {
    const std::string input = corpus.name;
    const std::u16string units = ToUTF16(corpus.utf8);
    const std::u16string from(1, MostFrequent(units)), to = u"\u00B7\u00B7";
    auto source = std::make_shared<Text>(units);
    auto plain = std::make_shared<std::u16string>(units);
    const auto stdReplace = [from, to](std::u16string copy) {
        std::u16string out;
        std::size_t kept = 0;
        for (std::size_t at = copy.find(from); at != std::u16string::npos;
             at = copy.find(from, kept)) {
            out.append(copy, kept, at - kept).append(to);
            kept = at + from.size();
        }
        return out.append(copy, kept, std::u16string::npos);
    };
    const std::u16string replaced = stdReplace(units);
    Check(UnitsOf(Text(*source).ReplaceAll(Text(from), Text(to))) == replaced,
          input + ": ReplaceAll");
    const std::int64_t bytes = BytesOf(units);
    Add("replace all", input, "QuendalText ReplaceAll", bytes,
        [source, from, to](benchmark::State& state) {
            const Text fromText(from), toText(to);
            for (auto _ : state) {
                Text copy(*source);
                benchmark::DoNotOptimize(copy.ReplaceAll(fromText, toText).get_Length());
            }
        });
    Add("replace all", input, "std find and append", bytes,
        [plain, stdReplace](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(stdReplace(*plain).size());
        });
    auto icuSource =
        std::make_shared<icu::UnicodeString>(units.data(), static_cast<int32_t>(units.size()));
    const icu::UnicodeString icuFrom(from.data(), 1), icuTo(to.data(), 2);
    Check(icu::UnicodeString(*icuSource).findAndReplace(icuFrom, icuTo).length() ==
              static_cast<int32_t>(replaced.size()),
          input + ": ICU findAndReplace");
    Add("replace all", input, "ICU UnicodeString::findAndReplace", bytes,
        [icuSource, icuFrom, icuTo](benchmark::State& state) {
            for (auto _ : state) {
                icu::UnicodeString copy(*icuSource);
                benchmark::DoNotOptimize(copy.findAndReplace(icuFrom, icuTo).length());
            }
        });
#if defined(QUENDALTEXT_BENCH_QT)
    auto qtSource = std::make_shared<QString>(ToQt(units));
    const QString qtFrom = ToQt(from), qtTo = ToQt(to);
    Check(QString(*qtSource).replace(qtFrom, qtTo).size() == static_cast<int>(replaced.size()),
          input + ": Qt replace");
    Add("replace all", input, "Qt QString::replace", bytes,
        [qtSource, qtFrom, qtTo](benchmark::State& state) {
            for (auto _ : state) {
                QString copy(*qtSource);
                benchmark::DoNotOptimize(copy.replace(qtFrom, qtTo).size());
            }
        });
#endif

    const std::u16string pattern = u"QUENDAL~END";
    auto hay = std::make_shared<Text>(units + u"quendal~end");
    auto patternText = std::make_shared<Text>(pattern);
    const auto where = static_cast<int>(units.size());
    Check(hay->FindFolded(*patternText).Start == where, input + ": FindFolded");
    Add("find folded", input, "QuendalText FindFolded", bytes,
        [hay, patternText](benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(hay->FindFolded(*patternText).Start);
        });
    auto icuHay = std::make_shared<icu::UnicodeString>(hay->c_str(), hay->get_Length());
    const icu::UnicodeString icuPattern =
        icu::UnicodeString(pattern.data(), static_cast<int32_t>(pattern.size())).foldCase();
    Check(icu::UnicodeString(*icuHay).foldCase().indexOf(icuPattern) >= where,
          input + ": ICU foldCase and indexOf");
    Add("find folded", input, "ICU foldCase then indexOf", bytes,
        [icuHay, icuPattern](benchmark::State& state) {
            for (auto _ : state) {
                benchmark::DoNotOptimize(
                    icu::UnicodeString(*icuHay).foldCase().indexOf(icuPattern));
            }
        });
#if defined(QUENDALTEXT_BENCH_QT)
    auto qtHay = std::make_shared<QString>(ToQt(UnitsOf(*hay)));
    const QString qtPattern = ToQt(pattern);
    Add("find folded", input, "Qt QString::indexOf(CaseInsensitive)", bytes,
        [qtHay, qtPattern](benchmark::State& state) {
            for (auto _ : state)
                benchmark::DoNotOptimize(qtHay->indexOf(qtPattern, 0, Qt::CaseInsensitive));
        });
#endif
}

// The modern members on each corpus: conversion with a choice for ill-formed input, the walks,
// full case mapping and folding, folded comparison, hashing, validation and Contains.
void Modern(const bench::Corpus& corpus) {
    const std::string input = corpus.name;
    auto utf8 = std::make_shared<std::string>(corpus.utf8);
    auto units = std::make_shared<std::u16string>(ToUTF16(corpus.utf8));
    auto text = std::make_shared<Text>(Text::FromUTF8(*utf8));
    const std::int64_t utf8Bytes = static_cast<std::int64_t>(utf8->size());
    const std::int64_t unitBytes = BytesOf(*units);
    const auto* icuUnits = reinterpret_cast<const UChar*>(units->data());
    const auto unitCount = static_cast<int32_t>(units->size());
#if defined(QUENDALTEXT_BENCH_QT)
    auto qt = std::make_shared<QString>(ToQt(*units));
#endif

    Check(UnitsOf(*text) == *units, input + ": FromUTF8");
    Add("FromUTF8", input, "QuendalText Text::FromUTF8", utf8Bytes, [utf8](benchmark::State& st) {
        for (auto _ : st) benchmark::DoNotOptimize(Text::FromUTF8(*utf8).c_str());
    });
    Add("FromUTF8", input, "ICU u_strFromUTF8", utf8Bytes, [utf8](benchmark::State& st) {
        for (auto _ : st) {
            std::u16string out(utf8->size(), u'\0');
            int32_t length = 0;
            UErrorCode status = U_ZERO_ERROR;
            u_strFromUTF8(out.data(), static_cast<int32_t>(out.size()), &length, utf8->data(),
                          static_cast<int32_t>(utf8->size()), &status);
            out.resize(static_cast<std::size_t>(length));
            benchmark::DoNotOptimize(out.data());
        }
    });

    Check(text->ToUTF8String() == *utf8, input + ": ToUTF8String");
    Add("ToUTF8String", input, "QuendalText ToUTF8String", unitBytes, [text](benchmark::State& st) {
        for (auto _ : st) benchmark::DoNotOptimize(text->ToUTF8String().data());
    });
    Add("ToUTF8String", input, "ICU UnicodeString::toUTF8String", unitBytes,
        [units](benchmark::State& st) {
            const icu::UnicodeString source(units->data(), static_cast<int32_t>(units->size()));
            for (auto _ : st) {
                std::string out;
                source.toUTF8String(out);
                benchmark::DoNotOptimize(out.data());
            }
        });

// ICU's macro converts between its signed and unsigned types.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-conversion"
    const auto icuSum = [icuUnits, unitCount] {
        std::uint64_t sum = 0;
        for (int32_t i = 0; i < unitCount;) {
            UChar32 c;
            U16_NEXT(icuUnits, i, unitCount, c);
            sum += static_cast<std::uint32_t>(c);
        }
        return sum;
    };
#pragma GCC diagnostic pop
    const auto textSum = [text] {
        std::uint64_t sum = 0;
        for (char32_t c : text->CodePoints()) sum += c;
        return sum;
    };
    Check(textSum() == icuSum(), input + ": CodePoints");
    Add("CodePoints sum", input, "QuendalText CodePoints()", unitBytes,
        [textSum](benchmark::State& st) {
            for (auto _ : st) benchmark::DoNotOptimize(textSum());
        });
    Add("CodePoints sum", input, "ICU U16_NEXT loop", unitBytes, [icuSum](benchmark::State& st) {
        for (auto _ : st) benchmark::DoNotOptimize(icuSum());
    });

    UErrorCode status = U_ZERO_ERROR;
    std::shared_ptr<icu::BreakIterator> characters(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    auto source = std::make_shared<icu::UnicodeString>(units->data(), unitCount);
    const auto icuClusters = [characters, source] {
        characters->setText(*source);
        std::size_t clusters = 0;
        for (characters->first(); characters->next() != icu::BreakIterator::DONE;) ++clusters;
        return clusters;
    };
    const auto textClusters = [text] {
        std::size_t clusters = 0;
        for (auto cluster : text->Graphemes()) clusters += !cluster.empty();
        return clusters;
    };
    Check(textClusters() == icuClusters(), input + ": Graphemes");
    Add("Graphemes count", input, "QuendalText Graphemes()", unitBytes,
        [textClusters](benchmark::State& st) {
            for (auto _ : st) benchmark::DoNotOptimize(textClusters());
        });
    Add("Graphemes count", input, "ICU BreakIterator (character)", unitBytes,
        [icuClusters](benchmark::State& st) {
            for (auto _ : st) benchmark::DoNotOptimize(icuClusters());
        });

    using IcuMapping = int32_t (*)(UChar*, int32_t, const UChar*, int32_t, UErrorCode*);
    const auto icuMapped = [units](IcuMapping map) {
        std::u16string out(units->size() + units->size() / 8 + 16, u'\0');
        UErrorCode error = U_ZERO_ERROR;
        const int32_t length =
            map(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                reinterpret_cast<const UChar*>(units->data()), static_cast<int32_t>(units->size()),
                &error);
        out.resize(static_cast<std::size_t>(length));
        return out;
    };
    const IcuMapping upper = [](UChar* d, int32_t c, const UChar* s, int32_t n, UErrorCode* e) {
        return u_strToUpper(d, c, s, n, "", e);
    };
    const IcuMapping fold = [](UChar* d, int32_t c, const UChar* s, int32_t n, UErrorCode* e) {
        return u_strFoldCase(d, c, s, n, U_FOLD_CASE_DEFAULT, e);
    };
    Check(UnitsOf(text->Upper()) == icuMapped(upper), input + ": Upper");
    Check(UnitsOf(text->Folded()) == icuMapped(fold), input + ": Folded");
    Add("Upper", input, "QuendalText Upper()", unitBytes, [text](benchmark::State& st) {
        for (auto _ : st) benchmark::DoNotOptimize(text->Upper().c_str());
    });
    Add("Upper", input, "ICU u_strToUpper", unitBytes, [icuMapped, upper](benchmark::State& st) {
        for (auto _ : st) benchmark::DoNotOptimize(icuMapped(upper).data());
    });
#if defined(QUENDALTEXT_BENCH_QT)
    Add("Upper", input, "Qt QString::toUpper", unitBytes, [qt](benchmark::State& st) {
        for (auto _ : st) benchmark::DoNotOptimize(qt->toUpper().constData());
    });
#endif
    Add("Folded", input, "QuendalText Folded()", unitBytes, [text](benchmark::State& st) {
        for (auto _ : st) benchmark::DoNotOptimize(text->Folded().c_str());
    });
    Add("Folded", input, "ICU u_strFoldCase", unitBytes, [icuMapped, fold](benchmark::State& st) {
        for (auto _ : st) benchmark::DoNotOptimize(icuMapped(fold).data());
    });

    auto upperText = std::make_shared<Text>(text->Upper());
    auto upperUnits = std::make_shared<std::u16string>(UnitsOf(*upperText));
    Check(text->CompareFolded(*upperText) == 0, input + ": CompareFolded");
    Add("CompareFolded", input, "QuendalText CompareFolded", unitBytes,
        [text, upperText](benchmark::State& st) {
            for (auto _ : st) benchmark::DoNotOptimize(text->CompareFolded(*upperText));
        });
    Add("CompareFolded", input, "ICU u_strCaseCompare", unitBytes,
        [units, upperUnits](benchmark::State& st) {
            for (auto _ : st) {
                UErrorCode error = U_ZERO_ERROR;
                benchmark::DoNotOptimize(u_strCaseCompare(
                    reinterpret_cast<const UChar*>(units->data()),
                    static_cast<int32_t>(units->size()),
                    reinterpret_cast<const UChar*>(upperUnits->data()),
                    static_cast<int32_t>(upperUnits->size()), U_FOLD_CASE_DEFAULT, &error));
            }
        });

    Add("hash", input, "QuendalText std::hash<Text>", unitBytes, [text](benchmark::State& st) {
        for (auto _ : st) benchmark::DoNotOptimize(std::hash<Text>{}(*text));
    });
    Add("hash", input, "std hash<u16string_view>", unitBytes, [units](benchmark::State& st) {
        for (auto _ : st) benchmark::DoNotOptimize(std::hash<std::u16string_view>{}(*units));
    });

    Check(QuendalText::ValidateUTF8(*utf8).validity == QuendalText::Validity::Valid,
          input + ": ValidateUTF8");
    Add("ValidateUTF8", input, "QuendalText ValidateUTF8", utf8Bytes, [utf8](benchmark::State& st) {
        for (auto _ : st) benchmark::DoNotOptimize(QuendalText::ValidateUTF8(*utf8));
    });
    Add("ValidateUTF8", input, "ICU u_strFromUTF8 preflight", utf8Bytes,
        [utf8](benchmark::State& st) {
            for (auto _ : st) {
                int32_t length = 0;
                UErrorCode error = U_ZERO_ERROR;
                u_strFromUTF8(nullptr, 0, &length, utf8->data(), static_cast<int32_t>(utf8->size()),
                              &error);
                benchmark::DoNotOptimize(length);
            }
        });
    Add("ValidateUTF16", input, "QuendalText ValidateUTF16", unitBytes,
        [text](benchmark::State& st) {
            for (auto _ : st) benchmark::DoNotOptimize(QuendalText::ValidateUTF16(text->View()));
        });
    Add("ValidateUTF16", input, "ICU u_strToUTF8 preflight", unitBytes,
        [icuUnits, unitCount](benchmark::State& st) {
            for (auto _ : st) {
                int32_t length = 0;
                UErrorCode error = U_ZERO_ERROR;
                u_strToUTF8(nullptr, 0, &length, icuUnits, unitCount, &error);
                benchmark::DoNotOptimize(length);
            }
        });

    // An eight-unit pattern the text lacks.
    auto absent = std::make_shared<std::u16string>(u"zq\u00E9\u65E5xq\u00FCz");
    auto absentText = std::make_shared<Text>(QuendalText::UTF16StringView(*absent));
    Check(!text->Contains(*absentText), input + ": Contains");
    Add("Contains (absent)", input, "QuendalText Contains", unitBytes,
        [text, absentText](benchmark::State& st) {
            for (auto _ : st) benchmark::DoNotOptimize(text->Contains(*absentText));
        });
    Add("Contains (absent)", input, "std u16string_view::find", unitBytes,
        [units, absent](benchmark::State& st) {
            for (auto _ : st) {
                benchmark::DoNotOptimize(std::u16string_view(*units).find(*absent));
            }
        });
#if defined(QUENDALTEXT_BENCH_QT)
    auto qtAbsent = std::make_shared<QString>(ToQt(*absent));
    Add("Contains (absent)", input, "Qt QString::indexOf", unitBytes,
        [qt, qtAbsent](benchmark::State& st) {
            for (auto _ : st) benchmark::DoNotOptimize(qt->indexOf(*qtAbsent));
        });
#endif
}

// Normalization of text already in NFC, word boundaries, and sorting names by a German
// collator, each against ICU's own engine.
void UnicodeServices(const bench::Corpus& corpus) {
    const std::string input = corpus.name;
    auto text = std::make_shared<Text>(Text::FromUTF8(corpus.utf8));
    auto source = std::make_shared<icu::UnicodeString>(
        icu::UnicodeString::fromUTF8(icu::StringPiece(corpus.utf8)));
    const std::int64_t unitBytes = static_cast<std::int64_t>(2 * source->length());
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    Check(U_SUCCESS(status), "Normalizer2::getNFCInstance");
    {
        const icu::UnicodeString normalized = nfc->normalize(*source, status);
        Check(UnitsOf(text->Normalized()) ==
                  std::u16string(normalized.getBuffer(),
                                 static_cast<std::size_t>(normalized.length())),
              input + ": Normalized");
    }
    Add("Normalized (NFC input)", input, "QuendalText Normalized()", unitBytes,
        [text](benchmark::State& st) {
            for (auto _ : st) benchmark::DoNotOptimize(text->Normalized().c_str());
        });
    Add("Normalized (NFC input)", input, "ICU Normalizer2::normalize", unitBytes,
        [nfc, source](benchmark::State& st) {
            for (auto _ : st) {
                UErrorCode error = U_ZERO_ERROR;
                benchmark::DoNotOptimize(nfc->normalize(*source, error).getBuffer());
            }
        });
    Add("IsNormalized", input, "QuendalText IsNormalized()", unitBytes,
        [text](benchmark::State& st) {
            for (auto _ : st) benchmark::DoNotOptimize(text->IsNormalized());
        });
    Add("IsNormalized", input, "ICU Normalizer2::isNormalized", unitBytes,
        [nfc, source](benchmark::State& st) {
            for (auto _ : st) {
                UErrorCode error = U_ZERO_ERROR;
                benchmark::DoNotOptimize(nfc->isNormalized(*source, error));
            }
        });

    std::shared_ptr<icu::BreakIterator> words(
        icu::BreakIterator::createWordInstance(icu::Locale::getRoot(), status));
    const auto icuWords = [words, source] {
        words->setText(*source);
        std::size_t count = 0;
        for (words->first(); words->next() != icu::BreakIterator::DONE;) ++count;
        return count;
    };
    const auto textWords = [text] {
        std::size_t count = 0;
        for (auto word : text->Words()) count += !word.empty();
        return count;
    };
    Check(textWords() == icuWords(), input + ": Words");
    Add("Words count", input, "QuendalText Words()", unitBytes, [textWords](benchmark::State& st) {
        for (auto _ : st) benchmark::DoNotOptimize(textWords());
    });
    Add("Words count", input, "ICU BreakIterator (word)", unitBytes,
        [icuWords](benchmark::State& st) {
            for (auto _ : st) benchmark::DoNotOptimize(icuWords());
        });
}

// 20,000 names, accented Latin, German, Swedish, Cyrillic and CJK, sorted by a German collator.
void Collation() {
    static const char* const kParts[] = {"\u00c4rger",
                                         "Zo\u00e9",
                                         "\u00c5sa",
                                         "\u00c9mile",
                                         "M\u00fcller",
                                         "Mueller",
                                         "\u0418\u0432\u0430\u043d",
                                         "\u738b\u82b3",
                                         "\u5c71\u7530",
                                         "\uae40\ubbfc\uc900",
                                         "Stra\u00dfe",
                                         "Strasse",
                                         "abel",
                                         "Zimmermann"};
    auto names = std::make_shared<std::vector<Text>>();
    auto icuNames = std::make_shared<std::vector<icu::UnicodeString>>();
    bench::Lcg random(25);
    for (int i = 0; i < 20000; ++i) {
        const icu::UnicodeString name =
            icu::UnicodeString(kParts[random.Below(std::size(kParts))], -1, US_INV).unescape() +
            icu::UnicodeString(" ") +
            icu::UnicodeString(kParts[random.Below(std::size(kParts))], -1, US_INV).unescape();
        icuNames->push_back(name);
        names->emplace_back(QuendalText::UTF16StringView(
            reinterpret_cast<const QuendalText::UTF16Unit*>(name.getBuffer()),
            static_cast<std::size_t>(name.length())));
    }
    UErrorCode status = U_ZERO_ERROR;
    std::shared_ptr<icu::Collator> icuGerman(
        icu::Collator::createInstance(icu::Locale("de"), status));
    Check(U_SUCCESS(status), "Collator::createInstance(de)");
    auto german = std::make_shared<QuendalText::Collator>("de");
    Add("sort by collator", "names", "QuendalText Collator(\"de\").Compare", 0,
        [names, german](benchmark::State& st) {
            for (auto _ : st) {
                std::vector<Text> work = *names;
                std::sort(work.begin(), work.end(),
                          [&](const Text& a, const Text& b) { return german->Compare(a, b) < 0; });
                benchmark::DoNotOptimize(work.data());
            }
        });
    Add("sort by collator", "names", "ICU Collator::compare", 0,
        [icuNames, icuGerman](benchmark::State& st) {
            for (auto _ : st) {
                std::vector<icu::UnicodeString> work = *icuNames;
                std::sort(work.begin(), work.end(), [&](const auto& a, const auto& b) {
                    UErrorCode error = U_ZERO_ERROR;
                    return icuGerman->compare(a, b, error) == UCOL_LESS;
                });
                benchmark::DoNotOptimize(work.data());
            }
        });
}

// The console's report, then the table of ratios: the library's time over the fastest peer's.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (run.error_occurred || !(median || single)) continue;
            const std::string& name = run.run_name.function_name;
            const std::size_t cut = name.rfind('/');
            const std::string key = name.substr(0, cut);
            if (times_.find(key) == times_.end()) order_.push_back(key);
            times_[key][name.substr(cut + 1)] = run.GetAdjustedCPUTime();
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n| operation | input | QuendalText | fastest peer | ratio |\n");
        std::printf("|---|---|---:|---|---:|\n");
        for (const std::string& key : order_) {
            const auto& times = times_[key];
            const auto best = std::min_element(times.begin(), times.end(), [](auto a, auto b) {
                return IsPeer(a.first) && (!IsPeer(b.first) || a.second < b.second);
            });
            if (best == times.end() || !IsPeer(best->first)) continue;
            for (const auto& [implementation, time] : times) {
                if (IsPeer(implementation)) continue;
                const std::size_t slash = key.find('/');
                std::printf("| %s | %s | %.3g | %s | **%.2f** |\n", key.substr(0, slash).c_str(),
                            key.substr(slash + 1).c_str(), time, best->first.c_str(),
                            time / best->second);
            }
        }
    }

private:
    static bool IsPeer(const std::string& implementation) {
        return implementation.rfind("QuendalText", 0) != 0;
    }

    std::vector<std::string> order_;
    std::map<std::string, std::map<std::string, double>> times_;
};

}  // namespace

int main(int argc, char** argv) {
    static const std::vector<bench::Corpus> corpora = bench::MakeCorpora();
    for (const bench::Corpus& corpus : corpora) Conversions(corpus);
    for (const bench::Corpus& corpus : corpora) Searches(corpus);
    for (const bench::Corpus& corpus : corpora) Conveniences(corpus);
    Singles(corpora);
    for (const bench::Corpus& corpus : corpora) Modern(corpus);
    for (const bench::Corpus& corpus : corpora) UnicodeServices(corpus);
    Collation();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

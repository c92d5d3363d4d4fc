// Uses the installed library as any program would: builds and measures a text, converts it
// with the C functions, and catches an exception thrown inside the library by its own type,
// which needs the type information that the libraries export.
#include <QuendalText/QuendalText.h>
#if defined(CONSUMER_HAS_FMT)
#  include <QuendalText/Fmt.h>
#endif

#include <cstdio>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// Whether `operation` raises an `E` for which `check` holds.
template <class E, class Operation, class Check>
bool Raises(Operation operation, Check check) {
    try {
        static_cast<void>(operation());
    } catch (const E& failure) {
        return check(failure);
    }
    return false;
}

// Every name of the Unicode surface, each checked against an answer worked out by hand.
bool UnicodeSurfaceWorks() {
    using QuendalText::Malformed;
    using QuendalText::Text;
    using QuendalText::Validity;
    Text street = Text::FromUTF8(std::string("stra\xC3\x9F\x65\0!", 9));
    const Text mixed(u8"e\u0301\U0001F600,x");
    std::u32string codePoints;
    for (char32_t codePoint : mixed.CodePoints()) codePoints += codePoint;
    int clusters = 0;
    for (QuendalText::UTF16StringView cluster : mixed.Graphemes()) clusters += !cluster.empty();
    const std::vector<Text> fields = mixed.Split(QuendalText::Char(0x1F600));
    std::ostringstream stream;
    stream << Text("ok");
    const QuendalText::ValidationResult cut = QuendalText::ValidateUTF8("a\xE2\x82");
    const bool caught =
        Raises<QuendalText::MalformedInput>([] { return Text::FromUTF8("ab\xFF"); },
                                            [](const auto& e) { return e.Offset() == 2; }) &&
        Raises<QuendalLog::Exception>(
            [] { return Text::FromUTF16(QUENDALTEXT_U("\xDC00")); },
            [](const auto& e) { return std::string(e.get_FunctionName()) == "Text::FromUTF16"; }) &&
        Raises<std::runtime_error>(
            [] { return Text::FromUTF32(U"a\xD800"); },
            [](const auto& e) { return std::string(e.what()).find(" 1") != std::string::npos; }) &&
        Raises<QuendalLog::CPPException<std::runtime_error>>(
            [] {
                return Text(QuendalText::UTF16StringView(QUENDALTEXT_U("a\xD800"), 2))
                    .ToUTF32String();
            },
            [](const auto& e) { return e.get_LineNum() > 0; });
    const bool right =
        street.View()[6] == 0 && street.Upper().ToUTF8String() == std::string("STRASSE\0!", 9) &&
        Text("ABC").Lower() == Text("abc") && Text("ABC").Folded() == Text("abc") &&
        street.CompareFolded(Text::FromUTF8(std::string("STRASSE\0!", 9))) == 0 &&
        Text::FromUTF8("\xC0", Malformed::Replace) == Text(QUENDALTEXT_U("\uFFFD")) &&
        Text::FromUTF16(QUENDALTEXT_U("\xDC00"), Malformed::Replace).ToUTF32String() == U"\uFFFD" &&
        Text::FromUTF32(U"\U0001F600").get_Length() == 2 && codePoints == U"e\u0301\U0001F600,x" &&
        clusters == 4 && fields.size() == 2 && fields[1] == Text(",x") &&
        mixed.StartsWith(Text("e")) && mixed.EndsWith(Text(",x")) && mixed.Contains(Text(",")) &&
        stream.str() == "ok" && std::hash<Text>{}(Text("a")) == std::hash<Text>{}(Text("a")) &&
        cut.validity == Validity::Incomplete && cut.position == 1 && caught &&
        QuendalText::ValidateUTF16(QUENDALTEXT_U("\xDC00")).validity == Validity::IllFormed &&
        QuendalText::ValidateUTF32(U"a").validity == Validity::Valid &&
        QuendalText::CompleteUTF8Prefix("a\xE2\x82") == 1 &&
        QuendalText::CompleteUTF16Prefix(QUENDALTEXT_U("a\xD800")) == 1;
    const Text moved(std::move(street));
    return right && street.IsEmpty() && moved.get_Length() == 8;
}

// The modern members and conveniences, each checked against an answer worked out by hand.
bool ModernSurfaceWorks() {
    using QuendalText::Text;
    Text line = Text::FromUTF8("  Stra\xC3\x9F\x65 und STRASSE;  42 ; 2.5e3 \n").Trimmed();
    const QuendalText::Span first = line.FindFolded("STRASSE");
    const QuendalText::Span second = line.FindFolded(QUENDALTEXT_U("strasse"), 1);
    if (second) line.Replace(Text(), second.Start, second.Length);
    line.ReplaceAll(std::string(";"), Text(","));
    const std::vector<Text> cells = line.Split(QuendalText::Char(','));
    const bool raises =
        Raises<QuendalText::MalformedInput>([&] { return line.StartsWith("Stra\xC3"); },
                                            [](const auto& e) { return e.Offset() == 4; }) &&
        Raises<QuendalLog::CPPException<std::invalid_argument>>(
            [&] { return &line.ReplaceAll("", "x"); }, [](const auto&) { return true; });
    const std::wstring wide = Text::FromUTF8("a\xF0\x9F\x98\x80").ToWString();
    bool right = first.Start == 0 && first.Length == 6 && second.Start == 11 &&
                 second.Length == 7 && cells.size() == 3 && cells[1].ParseInteger() == 42 &&
                 cells[2].ParseDouble() == 2500.0 && !Text("2.5 EUR").ParseDouble() &&
                 line.StartsWith(std::string_view("Stra")) && raises &&
                 wide.size() == (sizeof(wchar_t) == 2 ? 3u : 2u) &&
                 Text::FromWString(wide).get_NumberOfCharacters() == 2;
#if defined(CONSUMER_HAS_FMT)
    right = right && fmt::format("[{:>8}]", cells[0]) == "[Stra\xC3\x9F\x65 und ]";
#endif
    return right;
}

// Normalization, properties, display width and collation (ICU's i18n library behind the
// text library), each checked against an answer worked out by hand.
bool UnicodeServicesWork() {
    using QuendalText::NormalizationForm;
    using QuendalText::Text;
    namespace Unicode = QuendalText::Unicode;
    const Text decomposed(u8"Jose\u0301"), composed(u8"Jos\u00e9");
    const QuendalText::Collator swedish("sv");
    const QuendalText::Collator copy = swedish;
    return decomposed.Normalized() == composed && decomposed.IsNormalized(NormalizationForm::NFD) &&
           !decomposed.IsNormalized() &&
           composed.Normalized(NormalizationForm::NFD) == decomposed &&
           Text(u8"\u65e5\u672c \u2764\ufe0f").DisplayWidth() == 7 &&
           Unicode::Category(U'A') == Unicode::GeneralCategory::Lu && Unicode::IsLetter(0x1D400) &&
           Unicode::IsDigit(0x0663) && Unicode::IsAlphabetic(0x2160) &&
           Unicode::IsWhiteSpace(0x3000) && Unicode::Width(0x1F600) == 2 &&
           copy.Compare(Text(u8"zo\u00e9"), Text(u8"\u00c5sa")) < 0 &&
           swedish.SortKey(Text(u8"zo\u00e9")) < swedish.SortKey(Text(u8"\u00c5sa")) &&
           QuendalText::Collator("de").Compare(Text(u8"zo\u00e9"), Text(u8"\u00c5sa")) > 0;
}

int main() {
    const QuendalText::Text text(u8"Gr\u00fc\u00dfe \U0001F600");
    char utf8[32] = {};
    int32_t written = 0;
    UErrorCode status = U_ZERO_ERROR;
    // ICU's UChar is char16_t; the text's units are wchar_t on Windows.
    qutf_ConvertUTF16TextToUTF8Text(utf8, sizeof utf8, &written,
                                    reinterpret_cast<const UChar*>(text.c_str()), text.get_Length(),
                                    1, &status);
    const bool indexRaises = Raises<QuendalLog::CPPException<std::out_of_range>>(
        [&] { return text.get_CharacterAt(text.get_Length()); },
        [](const auto& e) { return e.what()[0] != '\0' && e.get_LineNum() > 0; });
    const std::pair<bool, const char*> checks[] = {
        {text.get_Length() == 8 && text.get_NumberOfCharacters() == 7 && !text.IsAscii(), "counts"},
        {U_SUCCESS(status) && written == text.get_EncodingSize(UTF8Encoding, false),
         "C conversion"},
        {indexRaises, "index exception (caught by its type, with a line and a message)"},
        {UnicodeSurfaceWorks(), "answer from the Unicode surface"},
        {ModernSurfaceWorks(), "answer from the modern members and conveniences"},
        {UnicodeServicesWork(), "answer from normalization, properties, width or collation"},
    };
    for (const auto& [right, what] : checks) {
        if (!right) return std::fprintf(stderr, "consumer: wrong %s\n", what), 1;
    }
    std::printf("consumer: %s\n", utf8);
    return 0;
}

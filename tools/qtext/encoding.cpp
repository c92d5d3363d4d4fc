// Bytes of any encoding to Text and back. UTF-8 is checked by the library's block validator and
// converted by Text::FromUTF8 and Text::ToUTF8String; every other encoding, byte order and
// byte-order mark is ICU's (ucnv_*). Nothing is decoded here.
#include "encoding.h"

#include "errors.h"
#include "system.h"

#include <QuendalText/Validation.h>

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

#if defined(__SSE2__)
#  include <emmintrin.h>
#endif

namespace qtext {
namespace {

using QuendalText::Malformed;
using QuendalText::Text;
using QuendalText::UTF16StringView;
using QuendalText::Validity;

// Bytes ICU's byte-order mark detection looks at: the longest mark.
constexpr std::size_t kMarkBytes = 4;

// The byte-order marks that decide an input's encoding when none is named; ICU also knows
// marks of UTF-7, SCSU and others, which plain text may begin with by chance.
bool IsMarkToFollow(const char* detected) {
    static const char* const kFollowed[] = {"UTF-8", "UTF-16LE", "UTF-16BE", "UTF-32LE",
                                            "UTF-32BE"};
    return std::any_of(std::begin(kFollowed), std::end(kFollowed), [detected](const char* name) {
        return ucnv_compareNames(name, detected) == 0;
    });
}

std::string NameOf(const Converter& converter) {
    UErrorCode status = U_ZERO_ERROR;
    const char* name = ucnv_getName(converter.get(), &status);
    return U_SUCCESS(status) ? name : "unknown";
}

const UChar* AsUChar(const QuendalText::UTF16Unit* units) {
    return reinterpret_cast<const UChar*>(units);
}

constexpr QuendalText::UTF16Unit kSurrogateMask = 0xFC00;
constexpr QuendalText::UTF16Unit kTrailSurrogateFirst = 0xDC00;
constexpr QuendalText::UTF16Unit kReplacementCharacter = 0xFFFD;

// What is wrong with the ill-formed UTF-8 sequence at the start of `bytes`, in the words of
// Python's messages where they are precise enough.
const char* UTF8FaultKind(std::string_view bytes) {
    const auto byte = [bytes](std::size_t i) {
        return i < bytes.size() ? unsigned{static_cast<unsigned char>(bytes[i])} : 0U;
    };
    const unsigned first = byte(0);
    const unsigned second = byte(1);
    const bool continued = (second & 0xC0) == 0x80;
    if (first < 0xC0 || first >= 0xF8) return "invalid start byte";
    if (first < 0xC2 || (first == 0xE0 && continued && second < 0xA0) ||
        (first == 0xF0 && continued && second < 0x90)) {
        return "overlong";
    }
    if (first == 0xED && continued && second >= 0xA0) return "surrogate";
    if (first >= 0xF5 || (first == 0xF4 && continued && second >= 0x90)) return "above U+10FFFF";
    return "truncated sequence";
}

// What is wrong with the bytes ICU refused with `status`.
const char* IcuFaultKind(UErrorCode status, UConverterType type, std::string_view bytes) {
    if (status == U_TRUNCATED_CHAR_FOUND) return "truncated sequence";
    const auto byte = [bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    switch (type) {
        case UCNV_UTF16:
        case UCNV_UTF16_BigEndian:
        case UCNV_UTF16_LittleEndian:
            if (bytes.size() == 2) return "surrogate";
            break;
        case UCNV_UTF32:
        case UCNV_UTF32_BigEndian:
        case UCNV_UTF32_LittleEndian:
            if (bytes.size() == 4) {
                const std::uint32_t big = std::uint32_t{byte(0)} << 24 |
                                          std::uint32_t{byte(1)} << 16 |
                                          std::uint32_t{byte(2)} << 8 | byte(3);
                const std::uint32_t little = std::uint32_t{byte(3)} << 24 |
                                             std::uint32_t{byte(2)} << 16 |
                                             std::uint32_t{byte(1)} << 8 | byte(0);
                const auto isSurrogate = [](std::uint32_t value) {
                    return value >= 0xD800 && value <= 0xDFFF;
                };
                if (type == UCNV_UTF32_BigEndian)
                    return isSurrogate(big) ? "surrogate" : "above U+10FFFF";
                if (type == UCNV_UTF32_LittleEndian)
                    return isSurrogate(little) ? "surrogate" : "above U+10FFFF";
                return isSurrogate(big) || isSurrogate(little) ? "surrogate" : "above U+10FFFF";
            }
            break;
        default: break;
    }
    return status == U_INVALID_CHAR_FOUND ? "unmapped sequence" : "invalid sequence";
}

// ICU's callbacks for ill-formed input under OnFault::Skip and Replace: each counts the
// fault in the std::uint64_t its context points to. Replace writes U+FFFD whatever the
// encoding (ICU's own substitute callback writes U+001A for encodings whose substitute is
// one byte).
bool CountFault(const void* context, UConverterCallbackReason reason, UErrorCode* status) {
    if (reason > UCNV_IRREGULAR) return false;  // reset, close or clone: nothing was wrong
    ++*static_cast<std::uint64_t*>(const_cast<void*>(context));
    *status = U_ZERO_ERROR;
    return true;
}

void U_EXPORT2 SkipFault(const void* context, UConverterToUnicodeArgs*, const char*, int32_t,
                         UConverterCallbackReason reason, UErrorCode* status) {
    CountFault(context, reason, status);
}

void U_EXPORT2 ReplaceFault(const void* context, UConverterToUnicodeArgs* arguments, const char*,
                            int32_t, UConverterCallbackReason reason, UErrorCode* status) {
    static const UChar kReplacement = kReplacementCharacter;
    if (CountFault(context, reason, status)) {
        ucnv_cbToUWriteUChars(arguments, &kReplacement, 1, 0, status);
    }
}

// The byte-order mark of a Unicode encoding with a fixed byte order; empty for the others.
std::string MarkOf(UConverterType type) {
    switch (type) {
        case UCNV_UTF8: return "\xEF\xBB\xBF";
        case UCNV_UTF16_BigEndian: return "\xFE\xFF";
        case UCNV_UTF16_LittleEndian: return "\xFF\xFE";
        case UCNV_UTF32_BigEndian: return std::string("\0\0\xFE\xFF", 4);
        case UCNV_UTF32_LittleEndian: return std::string("\xFF\xFE\0\0", 4);
        default: return std::string();
    }
}

// The bytes of a UTF-16 or UTF-32 character of the first plane in the encoding of `type`; 0 for
// the other encodings.
std::size_t UnitBytesOf(UConverterType type) {
    switch (type) {
        case UCNV_UTF16:
        case UCNV_UTF16_BigEndian:
        case UCNV_UTF16_LittleEndian: return 2;
        case UCNV_UTF32:
        case UCNV_UTF32_BigEndian:
        case UCNV_UTF32_LittleEndian: return 4;
        default: return 0;
    }
}

// The bytes of the byte-order mark that ICU's converter for `name`, a UTF-16 or UTF-32 one whose
// characters of the first plane take `unitBytes`, writes before the first character: what it
// writes for one such character, less the character. UTF-16 and UTF-32 write one, and so do
// variants of the fixed byte orders (UTF-16LE,version=1, which ICU types as UTF-16LE).
std::size_t MarkBytesWritten(const std::string& name, std::size_t unitBytes) {
    const Converter probe = OpenConverter(name);
    const UChar character = u'a';
    const UChar* source = &character;
    char out[16];
    char* target = out;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_fromUnicode(probe.get(), &target, out + sizeof out, &source, source + 1, nullptr, true,
                     &status);
    const auto written = static_cast<std::size_t>(target - out);
    return U_SUCCESS(status) && written > unitBytes ? written - unitBytes : 0;
}

}  // namespace

void ListEncodings(std::string* out) {
    const int32_t count = ucnv_countAvailable();
    for (int32_t i = 0; i < count; ++i) {
        const char* name = ucnv_getAvailableName(i);
        *out += name;
        UErrorCode status = U_ZERO_ERROR;
        const uint16_t aliases = ucnv_countAliases(name, &status);
        for (uint16_t a = 0; U_SUCCESS(status) && a < aliases; ++a) {
            const char* alias = ucnv_getAlias(name, a, &status);
            if (U_SUCCESS(status) && std::string(alias) != name) *out += std::string(" ") + alias;
        }
        *out += '\n';
    }
}

Converter OpenConverter(const std::string& name) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name.c_str(), &status);
    if (U_FAILURE(status) || converter == nullptr || name.empty()) {
        ucnv_close(converter);
        throw UsageError("unknown encoding '" + name + "' (see qtext convert --list)");
    }
    return Converter(converter, ucnv_close);
}

void TextPosition::Advance(UTF16StringView units) {
    const auto codePoints = [](UTF16StringView part) {
        return static_cast<std::uint64_t>(
            std::count_if(part.begin(), part.end(), [](QuendalText::UTF16Unit unit) {
                return (unit & kSurrogateMask) != kTrailSurrogateFirst;
            }));
    };
    const std::size_t lastLineFeed = units.rfind(QuendalText::UTF16Unit('\n'));
    if (lastLineFeed == UTF16StringView::npos) {
        Column += codePoints(units);
        return;
    }
    LineFeeds += static_cast<std::uint64_t>(
        std::count(units.begin(), units.begin() + static_cast<std::ptrdiff_t>(lastLineFeed) + 1,
                   QuendalText::UTF16Unit('\n')));
    Column = codePoints(units.substr(lastLineFeed + 1));
}

std::uint64_t CountByte(std::string_view bytes, char value) {
    std::uint64_t total = 0;
    std::size_t at = 0;
#if defined(__SSE2__)
    // Each lane of a vector tallies its matches (a compare gives -1 where equal), 64 bytes a
    // step, for at most 255 matches before the lanes are summed.
    constexpr std::size_t kLanes = 16;
    constexpr std::size_t kStep = 4 * kLanes;
    constexpr std::size_t kStepsBeforeSum = 255 / 4;
    const __m128i sought = _mm_set1_epi8(value);
    const auto matches = [&](std::size_t offset) {
        return _mm_cmpeq_epi8(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + offset)), sought);
    };
    while (at + kStep <= bytes.size()) {
        __m128i tally = _mm_setzero_si128();
        for (std::size_t step = 0; step < kStepsBeforeSum && at + kStep <= bytes.size();
             ++step, at += kStep) {
            tally =
                _mm_sub_epi8(tally, _mm_add_epi8(_mm_add_epi8(matches(at), matches(at + 16)),
                                                 _mm_add_epi8(matches(at + 32), matches(at + 48))));
        }
        const __m128i sums = _mm_sad_epu8(tally, _mm_setzero_si128());
        total += static_cast<std::uint64_t>(_mm_cvtsi128_si32(sums)) +
                 static_cast<std::uint64_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
#endif
    for (; at < bytes.size(); ++at) total += bytes[at] == value ? 1U : 0U;
    return total;
}

void TextPosition::AdvanceUTF8(std::string_view bytes) {
    const auto codePoints = [](std::string_view part) {
        return static_cast<std::uint64_t>(std::count_if(part.begin(), part.end(), [](char byte) {
            return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;  // not a continuation
        }));
    };
    const std::size_t lastLineFeed = FindLastByte(bytes, '\n');
    if (lastLineFeed == std::string_view::npos) {
        Column += codePoints(bytes);
        return;
    }
    LineFeeds += CountByte(bytes.substr(0, lastLineFeed + 1), '\n');
    Column = codePoints(bytes.substr(lastLineFeed + 1));
}

std::string TextPosition::Describe() const {
    return "line " + std::to_string(LineFeeds + 1) + ", column " + std::to_string(Column + 1);
}

Decoder::Decoder(const std::string& declared, OnFault onFault, std::string sourceName)
    : Declared(declared), FaultPolicy(onFault), SourceName(std::move(sourceName)) {
    if (!Declared.empty()) EncodingName = NameOf(OpenConverter(Declared));
}

void Decoder::RaiseFault() const {
    if (HasFault()) throw InputError(Fault);
}

void Decoder::NoteFault(std::uint64_t offset, const std::string& kind) {
    if (FollowsLazily()) {
        Position = TextPosition();
        Position.AdvanceUTF8(
            std::string_view(WholeInput + MarkBytes, static_cast<std::size_t>(offset) - MarkBytes));
    }
    Fault = SourceName + ": ill-formed " + ShownName + " at " + Position.Describe() +
            " (byte offset " + std::to_string(offset) + "): " + kind;
}

std::size_t Decoder::Settle(std::string_view start) {
    Settled = true;
    std::string name = Declared.empty() ? "UTF-8" : Declared;
    std::size_t markBytes = 0;
    if (Declared.empty()) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t signatureBytes = 0;
        const char* detected = ucnv_detectUnicodeSignature(
            start.data(), static_cast<int32_t>(std::min(start.size(), kMarkBytes)), &signatureBytes,
            &status);
        if (U_SUCCESS(status) && detected != nullptr && IsMarkToFollow(detected)) {
            name = detected;
            markBytes = static_cast<std::size_t>(signatureBytes);
            HadByteOrderMark = true;
        }
    }
    ShownName = name;
    Converter converter = OpenConverter(name);
    EncodingName = NameOf(converter);
    if (ucnv_getType(converter.get()) == UCNV_UTF8) return markBytes;  // the library's
    UErrorCode status = U_ZERO_ERROR;
    if (FaultPolicy == OnFault::Stop) {
        ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                            &status);
    } else {
        ucnv_setToUCallBack(converter.get(),
                            FaultPolicy == OnFault::Skip ? SkipFault : ReplaceFault, &Faults,
                            nullptr, nullptr, &status);
    }
    IcuConverter = std::move(converter);
    return markBytes;
}

Text Decoder::Decode(std::string_view bytes, bool ended, std::size_t* consumed, std::string* utf8,
                     std::string_view* inPlace) {
    RaiseFault();
    *consumed = 0;
    if (!Settled) {
        // A byte-order mark is looked for once enough bytes have come.
        if (bytes.size() < kMarkBytes && !ended) return Text();
        const std::size_t markBytes = Settle(bytes);
        MarkBytes = markBytes;
        bytes.remove_prefix(markBytes);
        Offset += markBytes;
        *consumed = markBytes;
    }
    std::size_t taken = 0;
    Text text;
    if (IcuConverter != nullptr) {
        text = DecodeWithIcu(bytes, ended);
        taken = bytes.size();  // ICU holds the bytes of a character cut at the end
    } else {
        taken = DecodeUTF8(bytes, ended, &text, utf8, inPlace);
    }
    Offset += taken;
    *consumed += taken;
    return text;
}

std::size_t Decoder::DecodeUTF8(std::string_view bytes, bool ended, Text* text, std::string* utf8,
                                std::string_view* inPlace) {
    if (utf8 == nullptr && FaultPolicy == OnFault::Stop) {
        // One pass: the library converts the block but a character cut at its end.
        const std::size_t whole = ended ? bytes.size() : QuendalText::CompleteUTF8Prefix(bytes);
        try {
            *text = Text::FromUTF8(bytes.substr(0, whole));
        } catch (const QuendalText::MalformedInput& fault) {
            const std::size_t good = fault.Offset();
            *text = Text::FromUTF8(bytes.substr(0, good));
            if (!FollowsLazily()) Position.Advance(text->View());
            NoteFault(Offset + good, UTF8FaultKind(bytes.substr(good)));
            return good;
        }
        if (!FollowsLazily()) Position.Advance(text->View());
        return whole;
    }
    // Bytes handed on as they are, or faults to drop, replace or count: the validator finds
    // each fault. Under Stop the bytes handed on are one run from the start, which a view of
    // `bytes` can give instead of a copy.
    const bool viewInPlace = utf8 != nullptr && inPlace != nullptr && FaultPolicy == OnFault::Stop;
    if (viewInPlace) *inPlace = bytes.substr(0, 0);
    const auto emit = [text, utf8, inPlace, viewInPlace](Text piece, std::string_view sameBytes) {
        if (viewInPlace) {
            *inPlace = sameBytes;
        } else if (utf8 != nullptr) {
            if (sameBytes.data() != nullptr) {
                utf8->append(sameBytes);
            } else {
                *utf8 += piece.ToUTF8String();
            }
        } else if (text->IsEmpty()) {
            *text = std::move(piece);
        } else {
            *text += piece;
        }
    };
    std::size_t at = 0;
    while (true) {
        const QuendalText::ValidationResult check = QuendalText::ValidateUTF8(bytes.substr(at));
        const std::string_view run = bytes.substr(at, check.position);
        if (!run.empty()) emit(utf8 != nullptr ? Text() : Text::FromUTF8(run), run);
        if (FaultPolicy == OnFault::Stop && !FollowsLazily()) Position.AdvanceUTF8(run);
        at += check.position;
        if (check.validity == Validity::Valid) return at;
        if (check.validity == Validity::Incomplete && !ended) return at;  // for the next call
        if (FaultPolicy == OnFault::Stop) {
            NoteFault(Offset + at, UTF8FaultKind(bytes.substr(at)));
            return at;
        }
        ++Faults;
        if (FaultPolicy == OnFault::Replace) {
            emit(Text::FromUTF8(bytes.substr(at, check.length), Malformed::Replace), {});
        }
        at += check.length;
    }
}

bool Decoder::ConvertWithIcu(std::string_view bytes, const char** source, bool flush,
                             std::size_t* written, UErrorCode* fault) {
    const bool located = FaultPolicy == OnFault::Stop;
    while (true) {
        if (located && UnitOffsets.size() < Units.size()) UnitOffsets.resize(Units.size());
        UErrorCode status = U_ZERO_ERROR;
        const int32_t held = ucnv_toUCountPending(IcuConverter.get(), &status);
        IcuCalls.push_back({*written, static_cast<std::size_t>(*source - bytes.data()),
                            static_cast<std::size_t>(std::max(held, int32_t{0}))});
        UChar* target = reinterpret_cast<UChar*>(&Units[0]) + *written;
        UChar* const targetStart = target;
        status = U_ZERO_ERROR;
        ucnv_toUnicode(IcuConverter.get(), &target, AsUChar(Units.data()) + Units.size(), source,
                       bytes.data() + bytes.size(), located ? &UnitOffsets[*written] : nullptr,
                       flush, &status);
        *written += static_cast<std::size_t>(target - targetStart);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            Units.resize(2 * Units.size());
            continue;
        }
        *fault = status;
        return U_SUCCESS(status);
    }
}

std::uint64_t Decoder::OffsetOfUnit(std::size_t index) const {
    if (index == 0 && HeldHighFirst) return HeldHighOffset;
    const auto call =
        std::find_if(IcuCalls.rbegin(), IcuCalls.rend(),
                     [index](const IcuCall& each) { return each.FirstUnit <= index; });
    // ICU counts a unit's offset from where the call's bytes start. A character it completes
    // with bytes held from before the call starts with them, that many bytes before: ICU gives
    // its unit -1 (UTF-7), or 0 as the call's first unit (CESU-8).
    const std::int32_t relative = UnitOffsets[index];
    const bool fromHeld =
        relative < 0 || (relative == 0 && index == call->FirstUnit && call->Held > 0);
    return fromHeld ? Offset + call->Start - call->Held
                    : Offset + call->Start + static_cast<std::uint64_t>(relative);
}

std::uint64_t Decoder::OffsetOfIcuFault(std::string_view bytes, const char* source,
                                        std::size_t invalidBytes) const {
    // The fault's bytes are the last ones ICU's last call took but those it will replay. When
    // they reach back into bytes ICU held from before the call, which begin one character, the
    // fault begins with that character: ICU may have put a byte taken after the fault where no
    // count shows it (UTF-16 does).
    const IcuCall& call = IcuCalls.back();
    UErrorCode status = U_ZERO_ERROR;
    const auto replayed = std::max(ucnv_toUCountPending(IcuConverter.get(), &status), int32_t{0});
    const auto taken =
        static_cast<std::int64_t>(source - bytes.data()) - static_cast<std::int64_t>(call.Start);
    std::int64_t start = taken - replayed - static_cast<std::int64_t>(invalidBytes);
    if (start < 0) start = std::min(start, -static_cast<std::int64_t>(call.Held));
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(Offset + call.Start) + start);
}

Text Decoder::DecodeWithIcu(std::string_view bytes, bool ended) {
    // One converter reads the input from its first byte to its last, and holds the bytes of a
    // character cut at the end of a block itself: a copy of a converter in its state, to convert
    // a block again, is not to be had for every encoding (ICU 72 crashes closing a copy of its
    // x11-compound-text converter).
    HeldHighFirst = HeldHigh != 0;
    std::size_t written = 0;
    if (Units.size() < bytes.size() + kMarkBytes + 1) Units.resize(bytes.size() + kMarkBytes + 1);
    if (HeldHighFirst) Units[written++] = HeldHigh;
    HeldHigh = 0;
    IcuCalls.clear();
    const char* source = bytes.data();
    UErrorCode fault = U_ZERO_ERROR;
    const bool clean = ConvertWithIcu(bytes, &source, ended, &written, &fault);
    // Some decoders write the surrogates their bytes spell (UTF-7, CESU-8, SCSU, BOCU-1), each
    // in the call that completes it: a high surrogate at the end waits for the next block, an
    // unpaired one is ill-formed input.
    std::size_t kept = 0;  // the units handed out, moved to the front
    std::size_t at = 0;
    bool unpaired = false;
    while (true) {
        const QuendalText::ValidationResult check =
            QuendalText::ValidateUTF16(UTF16StringView(Units.data() + at, written - at));
        if (kept != at) {
            std::copy(Units.begin() + static_cast<std::ptrdiff_t>(at),
                      Units.begin() + static_cast<std::ptrdiff_t>(at + check.position),
                      Units.begin() + static_cast<std::ptrdiff_t>(kept));
        }
        kept += check.position;
        at += check.position;
        if (check.validity == Validity::Valid) break;
        if (check.validity == Validity::Incomplete && clean && !ended) {
            HeldHigh = Units[at];
            HeldHighOffset = FaultPolicy == OnFault::Stop ? OffsetOfUnit(at) : 0;
            break;
        }
        if (FaultPolicy == OnFault::Stop) {
            unpaired = true;
            break;
        }
        ++Faults;
        if (FaultPolicy == OnFault::Replace) Units[kept++] = kReplacementCharacter;
        ++at;
    }
    const UTF16StringView units(Units.data(), kept);
    if (FaultPolicy == OnFault::Stop) Position.Advance(units);
    if (unpaired) {
        NoteFault(OffsetOfUnit(at), "surrogate");
    } else if (!clean) {
        char invalid[32];
        auto invalidBytes = static_cast<int8_t>(sizeof invalid);
        UErrorCode ignored = U_ZERO_ERROR;
        ucnv_getInvalidChars(IcuConverter.get(), invalid, &invalidBytes, &ignored);
        const auto invalidSize = static_cast<std::size_t>(std::max(invalidBytes, int8_t{0}));
        NoteFault(OffsetOfIcuFault(bytes, source, invalidSize),
                  IcuFaultKind(fault, ucnv_getType(IcuConverter.get()),
                               std::string_view(invalid, invalidSize)));
    }
    return Text(units);
}

Encoder::Encoder(const std::string& name, OnFault onFault, ByteOrderMark mark,
                 const std::string& sourceName)
    : Name(name), SourceName(sourceName) {
    Converter converter = OpenConverter(name);
    const UConverterType type = ucnv_getType(converter.get());
    const std::size_t unitBytes = UnitBytesOf(type);
    const std::size_t markBytes = unitBytes > 0 ? MarkBytesWritten(name, unitBytes) : 0;
    const bool marksItself = markBytes > 0;
    if (mark == ByteOrderMark::Write && !marksItself) {
        MarkToWrite = MarkOf(type);
        if (MarkToWrite.empty()) {
            throw UsageError("--bom needs UTF-8, UTF-16 or UTF-32 output, not '" + name + "'");
        }
    }
    if (mark == ByteOrderMark::Omit && marksItself) MarkToDrop = markBytes;
    if (type == UCNV_UTF8) return;  // the library writes UTF-8
    // UTF-16 or UTF-32 in the machine's byte order, as ICU tells both, without a mark is the
    // units themselves.
    NativeUTF16 =
        !marksItself && type == (U_IS_BIG_ENDIAN ? UCNV_UTF16_BigEndian : UCNV_UTF16_LittleEndian);
    NativeUTF32 =
        !marksItself && type == (U_IS_BIG_ENDIAN ? UCNV_UTF32_BigEndian : UCNV_UTF32_LittleEndian);
    UErrorCode status = U_ZERO_ERROR;
    const UConverterFromUCallback callback = onFault == OnFault::Stop ? UCNV_FROM_U_CALLBACK_STOP
                                             : onFault == OnFault::Skip
                                                 ? UCNV_FROM_U_CALLBACK_SKIP
                                                 : UCNV_FROM_U_CALLBACK_SUBSTITUTE;
    ucnv_setFromUCallBack(converter.get(), callback, nullptr, nullptr, nullptr, &status);
    IcuConverter = std::move(converter);
}

void Encoder::Encode(const Text& text, std::string* bytes) {
    if (text.IsEmpty()) return;
    if (!MarkToWrite.empty()) {
        bytes->append(MarkToWrite);
        MarkToWrite.clear();
    }
    if (IcuConverter == nullptr) {
        if (bytes->empty()) {
            *bytes = text.ToUTF8String();
        } else {
            *bytes += text.ToUTF8String();
        }
    } else if (NativeUTF16) {
        const UTF16StringView units = text.View();
        bytes->append(reinterpret_cast<const char*>(units.data()),
                      units.size() * sizeof(QuendalText::UTF16Unit));
    } else if (NativeUTF32) {
        // ICU's plain UTF-32 conversion into a buffer kept from piece to piece; the decoders
        // give well-formed text, which it converts without a fault.
        const UTF16StringView units = text.View();
        if (CodePoints.size() < units.size()) CodePoints.resize(units.size());
        int32_t length = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strToUTF32(reinterpret_cast<UChar32*>(&CodePoints[0]),
                     static_cast<int32_t>(CodePoints.size()), &length, AsUChar(units.data()),
                     static_cast<int32_t>(units.size()), &status);
        if (U_FAILURE(status))
            throw InputError(std::string("cannot write UTF-32: ") + u_errorName(status));
        bytes->append(reinterpret_cast<const char*>(CodePoints.data()),
                      static_cast<std::size_t>(length) * sizeof(char32_t));
    } else {
        const std::size_t start = bytes->size();
        Convert(text.View(), false, bytes);
        if (MarkToDrop > 0 && bytes->size() - start >= MarkToDrop) {
            bytes->erase(start, MarkToDrop);  // the mark ICU writes before the first character
            MarkToDrop = 0;
        }
    }
}

void Encoder::Finish(std::string* bytes) {
    if (IcuConverter != nullptr) Convert(UTF16StringView(), true, bytes);
}

void Encoder::Convert(UTF16StringView text, bool flush, std::string* bytes) {
    const UChar* source = AsUChar(text.data());
    const UChar* const sourceEnd = source + text.size();
    std::size_t written = bytes->size();
    bytes->resize(written + 2 * text.size() + 16);
    while (true) {
        char* target = &(*bytes)[written];
        char* const targetStart = target;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_fromUnicode(IcuConverter.get(), &target, &(*bytes)[0] + bytes->size(), &source,
                         sourceEnd, nullptr, flush, &status);
        written += static_cast<std::size_t>(target - targetStart);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            bytes->resize(2 * bytes->size());
            continue;
        }
        bytes->resize(written);
        if (U_SUCCESS(status)) {
            Position.Advance(text);
            return;
        }
        UChar invalid[8];
        int8_t invalidUnits = 8;
        UErrorCode ignored = U_ZERO_ERROR;
        ucnv_getInvalidUChars(IcuConverter.get(), invalid, &invalidUnits, &ignored);
        const Text character(
            UTF16StringView(reinterpret_cast<const QuendalText::UTF16Unit*>(invalid),
                            static_cast<std::size_t>(invalidUnits)));
        const auto before = static_cast<std::size_t>(
            std::max<std::ptrdiff_t>(source - AsUChar(text.data()) - invalidUnits, 0));
        Position.Advance(text.substr(0, before));
        char codePoint[16];
        std::snprintf(codePoint, sizeof codePoint, "U+%04X",
                      static_cast<unsigned>(*character.CodePoints().begin()));
        throw InputError(SourceName + ": cannot write " + codePoint + " at " + Position.Describe() +
                         " in " + Name + " (try --skip or --replace)");
    }
}

}  // namespace qtext

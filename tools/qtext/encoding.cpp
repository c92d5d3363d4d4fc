// Bytes of any encoding to Text and back. UTF-8 is checked by the library's block validator and
// converted by Text::FromUTF8 and Text::ToUTF8String; every other encoding, byte order and
// byte-order mark is ICU's (ucnv_*). Nothing is decoded here.
#include "encoding.h"

#include "errors.h"

#include <QuendalText/Validation.h>

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdio>
#include <utility>

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

Decoder::Decoder(const std::string& declared, OnFault onFault, std::string sourceName)
    : declared_(declared), onFault_(onFault), sourceName_(std::move(sourceName)) {
    if (!declared_.empty()) encodingName_ = NameOf(OpenConverter(declared_));
}

void Decoder::RaiseIllFormed(std::uint64_t offset) const {
    throw InputError(sourceName_ + ": ill-formed " + encodingName_ + " at byte offset " +
                     std::to_string(offset));
}

std::size_t Decoder::Settle(std::string_view start) {
    settled_ = true;
    std::string name = declared_.empty() ? "UTF-8" : declared_;
    std::size_t markBytes = 0;
    if (declared_.empty()) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t signatureBytes = 0;
        const char* detected = ucnv_detectUnicodeSignature(
            start.data(), static_cast<int32_t>(std::min(start.size(), kMarkBytes)), &signatureBytes,
            &status);
        if (U_SUCCESS(status) && detected != nullptr && IsMarkToFollow(detected)) {
            name = detected;
            markBytes = static_cast<std::size_t>(signatureBytes);
            hadByteOrderMark_ = true;
        }
    }
    Converter converter = OpenConverter(name);
    encodingName_ = NameOf(converter);
    if (ucnv_getType(converter.get()) == UCNV_UTF8) return markBytes;  // the library's
    UErrorCode status = U_ZERO_ERROR;
    const UConverterToUCallback callback = onFault_ == OnFault::Stop ? UCNV_TO_U_CALLBACK_STOP
                                           : onFault_ == OnFault::Skip
                                               ? UCNV_TO_U_CALLBACK_SKIP
                                               : UCNV_TO_U_CALLBACK_SUBSTITUTE;
    ucnv_setToUCallBack(converter.get(), callback, nullptr, nullptr, nullptr, &status);
    converter_ = std::move(converter);
    return markBytes;
}

Text Decoder::Decode(std::string_view bytes, bool ended, std::size_t* consumed, std::string* utf8) {
    *consumed = 0;
    if (!settled_) {
        // A byte-order mark is looked for once enough bytes have come.
        if (bytes.size() < kMarkBytes && !ended) return Text();
        const std::size_t markBytes = Settle(bytes);
        bytes.remove_prefix(markBytes);
        offset_ += markBytes;
        *consumed = markBytes;
    }
    if (converter_ != nullptr) {
        *consumed += bytes.size();
        Text text = DecodeWithIcu(bytes, ended);
        offset_ += bytes.size();
        return text;
    }
    Text text;
    const std::size_t taken = DecodeUTF8(bytes, ended, &text, utf8);
    offset_ += taken;
    *consumed += taken;
    return text;
}

std::size_t Decoder::DecodeUTF8(std::string_view bytes, bool ended, Text* text,
                                std::string* utf8) const {
    if (utf8 == nullptr && onFault_ != OnFault::Skip) {
        // One pass: the library converts the block but a character cut at its end.
        const std::size_t whole = ended ? bytes.size() : QuendalText::CompleteUTF8Prefix(bytes);
        try {
            *text = Text::FromUTF8(bytes.substr(0, whole), onFault_ == OnFault::Replace
                                                               ? Malformed::Replace
                                                               : Malformed::Raise);
        } catch (const QuendalText::MalformedInput& fault) {
            RaiseIllFormed(offset_ + fault.Offset());
        }
        return whole;
    }
    // Bytes handed on as they are, or faults to drop: the validator finds each fault.
    const auto emit = [text, utf8](Text piece, std::string_view sameBytes) {
        if (utf8 != nullptr) {
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
        at += check.position;
        if (check.validity == Validity::Valid) return at;
        if (check.validity == Validity::Incomplete && !ended) return at;  // for the next call
        if (onFault_ == OnFault::Stop) RaiseIllFormed(offset_ + at);
        if (onFault_ == OnFault::Replace) {
            emit(Text::FromUTF8(bytes.substr(at, check.length), Malformed::Replace), {});
        }
        at += check.length;
    }
}

Text Decoder::DecodeWithIcu(std::string_view bytes, bool ended) {
    // ICU keeps the bytes of a cut character itself, so every byte is taken.
    if (units_.size() < bytes.size() + kMarkBytes) units_.resize(bytes.size() + kMarkBytes);
    const char* source = bytes.data();
    const char* const sourceEnd = bytes.data() + bytes.size();
    std::size_t written = 0;
    while (true) {
        UChar* target = reinterpret_cast<UChar*>(units_.data()) + written;
        UChar* const targetStart = target;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter_.get(), &target, AsUChar(units_.data()) + units_.size(), &source,
                       sourceEnd, nullptr, ended, &status);
        written += static_cast<std::size_t>(target - targetStart);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            units_.resize(2 * units_.size());
            continue;
        }
        if (U_FAILURE(status)) {
            // Stopped at a fault: its bytes are the last ones taken, some perhaps from the
            // earlier blocks.
            char invalid[32];
            int8_t invalidBytes = sizeof invalid;
            UErrorCode ignored = U_ZERO_ERROR;
            ucnv_getInvalidChars(converter_.get(), invalid, &invalidBytes, &ignored);
            const auto taken = static_cast<std::uint64_t>(source - bytes.data());
            RaiseIllFormed(offset_ + taken - static_cast<std::uint64_t>(invalidBytes));
        }
        return Text(UTF16StringView(units_.data(), written));
    }
}

Encoder::Encoder(const std::string& name, OnFault onFault) : name_(name) {
    Converter converter = OpenConverter(name);
    name_ = NameOf(converter);
    const UConverterType type = ucnv_getType(converter.get());
    if (type == UCNV_UTF8) return;  // the library writes UTF-8
    // UTF-16 or UTF-32 in the machine's byte order, as ICU tells both, is the units themselves.
    nativeUTF16_ = type == (U_IS_BIG_ENDIAN ? UCNV_UTF16_BigEndian : UCNV_UTF16_LittleEndian);
    nativeUTF32_ = type == (U_IS_BIG_ENDIAN ? UCNV_UTF32_BigEndian : UCNV_UTF32_LittleEndian);
    UErrorCode status = U_ZERO_ERROR;
    const UConverterFromUCallback callback = onFault == OnFault::Stop ? UCNV_FROM_U_CALLBACK_STOP
                                             : onFault == OnFault::Skip
                                                 ? UCNV_FROM_U_CALLBACK_SKIP
                                                 : UCNV_FROM_U_CALLBACK_SUBSTITUTE;
    ucnv_setFromUCallBack(converter.get(), callback, nullptr, nullptr, nullptr, &status);
    converter_ = std::move(converter);
}

void Encoder::Encode(const Text& text, std::string* bytes) {
    if (converter_ == nullptr) {
        if (bytes->empty()) {
            *bytes = text.ToUTF8String();
        } else {
            *bytes += text.ToUTF8String();
        }
    } else if (nativeUTF16_) {
        const UTF16StringView units = text.View();
        bytes->append(reinterpret_cast<const char*>(units.data()),
                      units.size() * sizeof(QuendalText::UTF16Unit));
    } else if (nativeUTF32_) {
        // ICU's plain UTF-32 conversion into a buffer kept from piece to piece; the decoders
        // give well-formed text, which it converts without a fault.
        const UTF16StringView units = text.View();
        if (codePoints_.size() < units.size()) codePoints_.resize(units.size());
        int32_t length = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strToUTF32(reinterpret_cast<UChar32*>(codePoints_.data()),
                     static_cast<int32_t>(codePoints_.size()), &length, AsUChar(units.data()),
                     static_cast<int32_t>(units.size()), &status);
        if (U_FAILURE(status))
            throw InputError(std::string("cannot write UTF-32: ") + u_errorName(status));
        bytes->append(reinterpret_cast<const char*>(codePoints_.data()),
                      static_cast<std::size_t>(length) * sizeof(char32_t));
    } else {
        Convert(text.View(), false, bytes);
    }
}

void Encoder::Finish(std::string* bytes) {
    if (converter_ != nullptr) Convert(UTF16StringView(), true, bytes);
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
        ucnv_fromUnicode(converter_.get(), &target, bytes->data() + bytes->size(), &source,
                         sourceEnd, nullptr, flush, &status);
        written += static_cast<std::size_t>(target - targetStart);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            bytes->resize(2 * bytes->size());
            continue;
        }
        bytes->resize(written);
        if (U_FAILURE(status)) {
            UChar invalid[8];
            int8_t invalidUnits = 8;
            UErrorCode ignored = U_ZERO_ERROR;
            ucnv_getInvalidUChars(converter_.get(), invalid, &invalidUnits, &ignored);
            const Text character(
                UTF16StringView(reinterpret_cast<const QuendalText::UTF16Unit*>(invalid),
                                static_cast<std::size_t>(invalidUnits)));
            char codePoint[16];
            std::snprintf(codePoint, sizeof codePoint, "U+%04X",
                          static_cast<unsigned>(*character.CodePoints().begin()));
            throw InputError(std::string("cannot write ") + codePoint + " in " + name_ +
                             " (try --skip or --replace)");
        }
        return;
    }
}

}  // namespace qtext

// Four generated texts of 1 MiB of UTF-8 each, the same bytes in every run: English prose
// (ASCII), French and German prose (mostly ASCII with two-byte letters), Chinese and Japanese
// prose (three-byte characters) and English prose strewn with emoji (four-byte characters and
// surrogate pairs in UTF-16).
#ifndef QUENDALTEXT_BENCH_CORPUS_H
#define QUENDALTEXT_BENCH_CORPUS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

constexpr std::size_t kCorpusBytes = std::size_t{1} << 20;

struct Corpus {
    const char* name;
    std::string utf8;
};

// A small linear congruential generator, so that the texts never depend on the library.
class Lcg {
public:
    explicit Lcg(std::uint64_t seed) : state_(seed) {}
    std::size_t Below(std::size_t bound) {
        state_ = state_ * 2862933555777941757ULL + 3037000493ULL;
        return static_cast<std::size_t>(state_ >> 33) % bound;
    }

private:
    std::uint64_t state_;
};

inline std::string Prose(const std::vector<const char*>& words, std::uint64_t seed,
                         const std::vector<const char*>& extras, std::size_t extraEvery,
                         const char* space) {
    Lcg random(seed);
    std::string text;
    while (text.size() < kCorpusBytes + 16) {
        const std::size_t sentence = 5 + random.Below(10);
        for (std::size_t w = 0; w < sentence; ++w) {
            text += words[random.Below(words.size())];
            if (!extras.empty() && random.Below(extraEvery) == 0) {
                text += ' ';
                text += extras[random.Below(extras.size())];
            }
            if (w + 1 == sentence) break;
            if (random.Below(12) == 0) text += ',';
            text += space;
        }
        text += random.Below(7) == 0 ? "?" : ".";
        text += random.Below(5) == 0 ? "\n" : space;
    }
    // Cut at a character boundary and pad to the size with spaces.
    std::size_t cut = kCorpusBytes - 1;
    while ((static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
    text.resize(kCorpusBytes - 1, ' ');
    return text + "\n";
}

inline std::vector<Corpus> MakeCorpora() {
    const std::vector<const char*> english = {
        "river",  "stone",  "window", "market", "letter", "garden", "winter", "engine", "silver",
        "harbor", "pencil", "forest", "bridge", "candle", "number", "story",  "travel", "paper",
        "mirror", "valley", "coffee", "planet", "shadow", "button", "ladder", "meadow", "orange",
        "a",      "the",    "of",     "and",    "to",     "in",     "is",     "was",    "for",
        "on",     "with",   "at",     "by",     "it",     "this",   "that",   "from",   "we",
        "they",   "some",   "many",   "every",  "quiet",  "bright", "slowly"};
    const std::vector<const char*> frenchGerman = {
        "le",      "la",     "et",       "une",     "où",    "très",   "déjà",     "être",
        "fenêtre", "hôtel",  "été",      "élève",   "noël",  "garçon", "français", "là",
        "cœur",    "forêt",  "île",      "début",   "après", "der",    "und",      "für",
        "über",    "Straße", "Bär",      "Mädchen", "schön", "Größe",  "Übung",    "grün",
        "Käse",    "Tür",    "Brötchen", "Fluss",   "Haus",  "Zeit",   "Baum",     "mit",
        "nicht",   "auch",   "avec",     "pour",    "dans",  "maison", "jardin",   "rivière",
        "Wald",    "Stadt"};
    const std::vector<const char*> cjk = {
        "山",         "川",         "花",     "春",     "夏",     "秋",       "冬",     "空",
        "海",         "電車",       "学校",   "先生",   "友達",   "図書館",   "料理",   "天気",
        "時間",       "世界",       "音楽",   "映画",   "新聞",   "写真",     "旅行",   "仕事",
        "ありがとう", "こんにちは", "さくら", "ひかり", "カメラ", "コーヒー", "テレビ", "我们",
        "你好",       "城市",       "朋友",   "学习",   "工作",   "电脑",     "手机",   "今天",
        "明天",       "中文",       "汉字",   "的",     "是",     "在",       "有",     "和",
        "、",         "。"};
    const std::vector<const char*> emoji = {
        "😀", "😃", "😉", "🙂", "🤖", "🚀",    "🌍", "🌟", "🎉",      "🍀",        "🍕", "🐍",
        "🐢", "📚", "💡", "🔥",    "🎵",    "🧩", "☕", "✨", "❤️", "👍🏽", "🇯🇵"};
    return {{"ascii", Prose(english, 11, {}, 1, " ")},
            {"fr-de", Prose(frenchGerman, 12, {}, 1, " ")},
            {"cjk", Prose(cjk, 13, {}, 1, "")},
            {"emoji", Prose(english, 14, emoji, 2, " ")}};
}

}  // namespace bench

#endif  // QUENDALTEXT_BENCH_CORPUS_H

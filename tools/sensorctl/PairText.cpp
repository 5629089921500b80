#include "PairText.h"

#include "KeyNames.h"

namespace {

bool failAt(const std::string& text, size_t at, const std::string& what, std::string& error)
{
    error = "bad pair text at character " + std::to_string(at + 1) + " of \"" + text + "\": " + what +
            " (expected (KEY,VALUE)(KEY,VALUE)...)";
    return false;
}

} // namespace

bool parsePairText(const std::string& text, Pairs& pairs, std::string& error)
{
    pairs.clear();
    if (text.empty()) return failAt(text, 0, "empty", error);
    size_t at = 0;
    while (at < text.size()) {
        if (text[at] != '(') return failAt(text, at, "\"(\" expected", error);
        const size_t comma = text.find(',', at);
        const size_t close = text.find(')', at);
        if (close == std::string::npos) return failAt(text, at, "unclosed pair", error);
        if (comma == std::string::npos || comma > close) return failAt(text, at, "\",\" expected", error);
        const std::string keyWord = text.substr(at + 1, comma - at - 1);
        const std::string valueWord = text.substr(comma + 1, close - comma - 1);
        int key = 0, value = 0;
        if (keyWord.find_first_of(" \t(") != std::string::npos || !parseKey(keyWord, key)) {
            return failAt(text, at + 1, "\"" + keyWord + "\" is no key", error);
        }
        if (!parseNumber(valueWord, value)) return failAt(text, comma + 1, "\"" + valueWord + "\" is no number", error);
        pairs.emplace_back(key, value);
        at = close + 1;
    }
    return true;
}

std::string formatPairText(const Pairs& pairs)
{
    std::string text;
    for (const auto& pair : pairs) text += "(" + std::to_string(pair.first) + "," + std::to_string(pair.second) + ")";
    return text;
}
